#pragma once

#include <QSettings>
#include <QStringList>

// The searches this user typed in the search box, newest first, kept in the user's own settings
// (never beside the database) so that they are offered again in later runs, whatever the edition.
class SearchHistory
{
public:
    static constexpr int Limit = 20;

    SearchHistory();
    SearchHistory(const SearchHistory &) = delete;
    SearchHistory &operator=(const SearchHistory &) = delete;

    QStringList entries() const;
    // Puts the text, trimmed, in front; an earlier search that reads the same (letter case and
    // folded accents aside) gives way to it. Blank texts are not kept.
    void remember(const QString &texto);
    void clear();

private:
    QSettings m_settings;
};
