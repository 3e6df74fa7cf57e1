#pragma once

#include <QElapsedTimer>
#include <QSettings>
#include <QStringList>
#include <QTimer>

// The searches this user typed in the search box, newest first, kept in the user's own settings
// (never beside the database) so that they are offered again in later runs, whatever the edition.
// The settings file is written at most once a second (a burst of searches waits for the second to
// pass) and on destruction, so that each search does not pay for a synced file.
class SearchHistory
{
public:
    static constexpr int Limit = 20;

    SearchHistory();
    ~SearchHistory();
    SearchHistory(const SearchHistory &) = delete;
    SearchHistory &operator=(const SearchHistory &) = delete;

    QStringList entries() const;
    // Puts the text, trimmed, in front; an earlier search that reads the same (letter case and
    // folded accents aside) gives way to it. Blank texts are not kept.
    void remember(const QString &texto);
    void clear();

private:
    void changed();
    void write();

    QSettings m_settings;
    QStringList m_entries;
    QElapsedTimer m_sinceWrite; // invalid until the first write
    QTimer m_writeLater;
};
