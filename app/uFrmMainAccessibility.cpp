// What the main window tells a screen reader: a name for every control that takes the focus, the
// captions tied to their fields, the pictures that only decorate left out, the search's count and
// text announced when they change. Nothing here changes what the window shows.
#include "app/uFrmMain.h"

#include "app/Accessibility.h"
#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/DataMemo.h"
#include "app/ReadableColours.h"
#include "data/QueryTableModel.h"
#include "ui_uFrmMain.h"

#include <QAccessible>
#include <QRegularExpression>

void TFrmMain::describeForScreenReaders()
{
    // A caption that is its field's buddy names the field; their texts have no '&', so nothing shows.
    ui->LblDescricaoPesquisa->setBuddy(ui->EdtPesquisa);
    ui->LblDescricaoClassificacao->setBuddy(ui->CmbClassificacao);
    ui->CmbClassificacao->setAccessibleName(ui->LblDescricaoClassificacao->text());
    const QString sortedBy = QStringLiteral("Ordenado por");
    ui->RdbCodigo->setAccessibleDescription(sortedBy);
    ui->RdbAlfabetica->setAccessibleDescription(sortedBy);

    ui->ImgLogo->setAccessibleName(QStringLiteral("ZELT"));
    static const QRegularExpression rule(QStringLiteral("^ImgLine"));
    for (QWidget *decoration : findChildren<QWidget *>(rule))
        markDecorative(decoration);
    markDecorative(ui->LblDivisor);

    // Grids are named by what the page says of them; their cells by the column they stand in,
    // also where a column shows no title.
    ui->DBGEstrutura->setAccessibleName(ui->LblTopoDaEstrutura->text());
    const std::pair<DataGrid *, QString> levelGrids[] = {{ui->DbgSecao, QStringLiteral("Divisões")},
                                                         {ui->DbgDivisao, QStringLiteral("Grupos")},
                                                         {ui->DbgGrupo, QStringLiteral("Classes")},
                                                         {ui->DbgClasse, QStringLiteral("Subclasses")}};
    for (const auto &[grid, fallback] : levelGrids) {
        nameByColumnTitle(grid, 1, fallback);
        grid->tableModel()->setAccessibleColumnTitle(0, QStringLiteral("Código"));
        grid->tableModel()->setAccessibleColumnTitle(1, QStringLiteral("Descrição"));
    }
    ui->DBGEstrutura->tableModel()->setAccessibleColumnTitle(2, QStringLiteral("Divisões"));
    ui->DbgPesquisa->setAccessibleName(QStringLiteral("Atividades encontradas"));
    for (DataMemo *memo :
         {ui->MemTbsSecao, ui->MemTbsDivisao, ui->MemTbsGrupo, ui->MemTbsSubClasse, ui->MemTbsPesquisa})
        memo->setAccessibleName(QStringLiteral("Descrição completa"));

    nameValueByCaption(ui->LblNumeroRegistros, ui->LblRegistrosEncontrados, ui->DbgPesquisa);
    nameValueByCaption(ui->LblItemPesquisado, ui->LblDescPesquisa, ui->DbgPesquisa);

    // The page shown replaces the one before it for the reader; the focus event of the control
    // that the page gives the focus to follows.
    connect(ui->PgcPrincipal, &QStackedWidget::currentChanged, this, [this] {
        QAccessibleEvent reorder(ui->PgcPrincipal, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    });

    keepTextReadable(this);
    describeWidgets(this);
}
