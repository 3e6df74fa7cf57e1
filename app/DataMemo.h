#pragma once

#include <QPlainTextEdit>

class DataSource;

// A read-only memo showing one column of its data source's current row, following the row as it
// moves or the query reloads. A NULL, a missing column or no row shows as the empty text.
// It shows whole lines only: the pixels left under the last whole line stay blank.
class DataMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DataMemo(QWidget *parent = nullptr);

    void bind(DataSource &source, const QString &field);
    DataSource *dataSource() const { return m_source; }
    QString field() const { return m_field; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void refresh();
    void showWholeLines();

    DataSource *m_source = nullptr;
    QString m_field;
};
