#pragma once

#include "search/SearchHistory.h"

#include <QObject>

class QCompleter;
class QLineEdit;
class QStringListModel;

// Offers the recent searches as completions of the search box: those holding what is typed, or
// all of them on the Down key; the box's context menu clears them.
class RecentSearches : public QObject
{
    Q_OBJECT
public:
    explicit RecentSearches(QLineEdit *box);

    void remember(const QString &texto);
    void clear();
    QCompleter *completer() const { return m_completer; }
    QStringList entries() const { return m_history.entries(); }

signals:
    // The recent searches were forgotten: a list that shows them must drop them.
    void cleared();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMenu(const QPoint &pos);

    QLineEdit *m_box;
    SearchHistory m_history;
    QStringListModel *m_model;
    QCompleter *m_completer;
};
