#include "takeaway/ExportSettings.h"

namespace
{

const QString FormatKey = QStringLiteral("Exportacao/Formato");
const QString FolderKey = QStringLiteral("Exportacao/Pasta");

} // namespace

ExportSettings::ExportSettings()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZELT"), QStringLiteral("ZELT"))
{
}

ExportSettings::Format ExportSettings::format() const
{
    return m_settings.value(FormatKey).toString() == QLatin1String("csv") ? Format::Csv : Format::Xlsx;
}

QString ExportSettings::folder() const
{
    return m_settings.value(FolderKey).toString();
}

void ExportSettings::remember(Format format, const QString &folder)
{
    m_settings.setValue(FormatKey, format == Format::Csv ? QStringLiteral("csv") : QStringLiteral("xlsx"));
    m_settings.setValue(FolderKey, folder);
}
