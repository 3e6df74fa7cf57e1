#include "app/ProgramSettings.h"

namespace
{

const QString GeometryKey = QStringLiteral("JanelaPrincipal/Geometria");
const QString TextZoomKey = QStringLiteral("Janelas/TamanhoDoTexto");
const QString RecentKey = QStringLiteral("BancosRecentes");

} // namespace

// The same file as the recent searches (search/SearchHistory).
ProgramSettings::ProgramSettings()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZELT"), QStringLiteral("ZELT"))
{
}

QByteArray ProgramSettings::mainWindowGeometry() const
{
    return m_settings.value(GeometryKey).toByteArray();
}

void ProgramSettings::setMainWindowGeometry(const QByteArray &geometry)
{
    m_settings.setValue(GeometryKey, geometry);
}

int ProgramSettings::textZoom() const
{
    return m_settings.value(TextZoomKey, 100).toInt();
}

void ProgramSettings::setTextZoom(int percent)
{
    m_settings.setValue(TextZoomKey, percent);
}

QStringList ProgramSettings::recentDatabases() const
{
    QStringList kept;
    for (const QString &path : m_settings.value(RecentKey).toStringList()) {
        if (!path.isEmpty() && !kept.contains(path) && kept.size() < RecentDatabaseLimit)
            kept.append(path);
    }
    return kept;
}

void ProgramSettings::rememberDatabase(const QString &path)
{
    QStringList paths = recentDatabases();
    paths.removeAll(path);
    paths.prepend(path);
    m_settings.setValue(RecentKey, paths.mid(0, RecentDatabaseLimit));
}
