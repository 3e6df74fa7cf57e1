#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

// A memo written line for line for its designed width shows those lines at that width. Made
// wider than its text's size needs, it shows the text as paragraphs that flow over the whole
// width: a line that ends in a blank goes on in the next one.
class ReflowingMemo : public QObject
{
    Q_OBJECT
public:
    explicit ReflowingMemo(QPlainTextEdit *memo);

    // The designed text with each line that ends in a blank joined to the next.
    static QString flowing(const QString &designed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update();

    QPlainTextEdit *m_memo;
    QString m_designed;
    QString m_flowing;
    int m_designedWidth;
    int m_designedFontSize;
    bool m_updating = false;
};
