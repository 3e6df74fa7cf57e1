#pragma once

#include <QByteArray>
#include <QSettings>
#include <QStringList>

// What the program remembers of this user between runs, in the user's own settings (never beside
// the database): the main window's place, the texts' size and the databases opened last.
class ProgramSettings
{
public:
    static constexpr int RecentDatabaseLimit = 6;

    ProgramSettings();
    ProgramSettings(const ProgramSettings &) = delete;
    ProgramSettings &operator=(const ProgramSettings &) = delete;

    // QWidget::saveGeometry's bytes: size, position, maximised; empty before the first run ends.
    QByteArray mainWindowGeometry() const;
    void setMainWindowGeometry(const QByteArray &geometry);

    // The texts' size in percent of the designed size (app/TextZoom).
    int textZoom() const;
    void setTextZoom(int percent);

    // Absolute paths, newest first.
    QStringList recentDatabases() const;
    void rememberDatabase(const QString &path);

private:
    QSettings m_settings;
};
