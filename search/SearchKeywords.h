#pragma once

#include <QHash>
#include <QMetaObject>
#include <QString>
#include <QVector>

class Connection;
class Query;

// The keyword lists of the activities a search shows. The results query does not carry them;
// they are read on first need with the search's own statement and one more column, once per
// search, and matched to the shown rows by the activity's codes and description.
class SearchKeywords
{
public:
    SearchKeywords(Query &results, Connection &connection);
    ~SearchKeywords();
    SearchKeywords(const SearchKeywords &) = delete;
    SearchKeywords &operator=(const SearchKeywords &) = delete;

    // Palavra_Chave of the given row of the results; throws DataError when it cannot be read.
    QString ofRow(int row);

private:
    void load();

    Query &m_results;
    Connection &m_connection;
    QMetaObject::Connection m_reloaded;
    bool m_loaded = false;
    QVector<QString> m_keywords; // by row of the results
};
