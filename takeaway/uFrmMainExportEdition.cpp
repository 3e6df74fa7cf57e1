// The whole edition on show exported as one workbook, with a progress window that can cancel it.
#include "app/uFrmMain.h"

#include "app/Dialogs.h"
#include "data/UDtmMain.h"
#include "takeaway/EditionWorkbook.h"
#include "takeaway/ExportSettings.h"
#include "takeaway/PageText.h"

#include <QDir>
#include <QFileInfo>

void TFrmMain::exportEdition()
{
    requireEdition();
    ExportSettings settings;
    const QString folder = settings.folder().isEmpty() ? QDir::homePath() : settings.folder();
    QString filter = QStringLiteral("Planilha (*.xlsx)");
    const QString suggested = QDir(folder).filePath(
        fileNameOf(QStringLiteral("classificação ") + nav.DescricaoClassificacao) + QStringLiteral(".xlsx"));
    QString path =
        dialogs::chooseSaveFile(this, QStringLiteral("Exportar classificação"), suggested, {filter}, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".xlsx");
    settings.remember(settings.format(), QFileInfo(path).absolutePath());

    EditionWorkbook workbook{nav.PrefixoTabela, {{QStringLiteral("Edição"), nav.DescricaoClassificacao}}};
    const QString date = databaseDateOf(DtmMain.QryDataBanco);
    if (!date.isEmpty())
        workbook.about.append({QStringLiteral("Base de dados"), date});
    dialogs::ProgressWindow progress(this, QStringLiteral("Exportando a classificação..."));
    bool cancelled = false;
    const QString failure = workbook.write(
        DtmMain.ADCMain, path,
        [&progress](qint64 done, qint64 total) { return progress.update(done, total); }, &cancelled);
    if (!failure.isEmpty())
        dialogs::showError(this, failure);
}
