#include "Tour.h"

#include "app/LinkLabel.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"

#include <QDialog>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <functional>
#include <iterator>

namespace
{

const char *const kClassNotes[] = {"CCOMPRE_CLA", "TCOMPRE_CLA", "NCOMPRE_CLA", "NOTAS_CLA"};
const char *const kSectionNotes[] = {"NTEXP_SEC", "CCOMPRE_SEC", "TCOMPRE_SEC", "NCOMPRE_SEC", "NOTAS_SEC"};

// As the notes popup judges a text: nothing but blanks and control characters is no note.
bool blank(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x20)
            return false;
    }
    return true;
}

QString text(const Query &query, int row, const char *column)
{
    return query.value(row, query.columnIndex(QLatin1String(column))).toString();
}

// Every row of one of the edition's level tables, read through the auxiliary query.
Query &levelTable(TourContext &tour, const char *level)
{
    tour.dtm.QryAuxiliar.reload(
        QStringLiteral("SELECT * FROM %1_%2").arg(tour.window.nav.PrefixoTabela, QLatin1String(level)));
    return tour.dtm.QryAuxiliar;
}

// The first row that pleases want, or -1.
int firstRow(const Query &query, const std::function<bool(int)> &want)
{
    for (int row = 0; row < query.recordCount(); ++row) {
        if (want(row))
            return row;
    }
    return -1;
}

void standOn(Query &list, const char *column, const QString &code)
{
    if (!list.locate(QLatin1String(column), code))
        throw DataError(QStringLiteral("tour: %1 = '%2' not listed").arg(QLatin1String(column), code));
}

// Walks the window down to the class as the user's clicks would: each list stands on the code
// before its row is clicked.
void openClass(TourContext &tour, const QString &sec, const QString &div, const QString &grp,
               const QString &cla)
{
    tour.window.BtnEstruturaClick();
    standOn(tour.dtm.QryEstrutura, "Codigo_Sec", sec);
    tour.window.DBGEstruturaCellClick();
    standOn(tour.dtm.QrySecaoAux, "Codigo_Div", div);
    tour.window.DbgSecaoCellClick();
    standOn(tour.dtm.QryDivisaoAux, "Codigo_Grp", grp);
    tour.window.DbgDivisaoCellClick();
    standOn(tour.dtm.QryGrupoAux, "Codigo_Cla", cla);
    tour.window.DbgGrupoCellClick();
}

void openClassAt(TourContext &tour, const Query &classes, int row)
{
    if (row < 0)
        throw DataError(QStringLiteral("tour: the database has no such class"));
    openClass(tour, text(classes, row, "Codigo_Sec"), text(classes, row, "Codigo_Div"),
              text(classes, row, "Codigo_Grp"), text(classes, row, "Codigo_Cla"));
}

void clickLink(TourContext &tour, const char *name)
{
    emit tour.find<LinkLabel>(QLatin1String(name))->clicked();
}

void clickNotes(TourContext &tour, const char *page)
{
    emit tour.find<LinkLabel>(QStringLiteral("LblNotasExplicativas_") + QLatin1String(page))->clicked();
}

void sectionWithEveryNote(TourContext &tour)
{
    Query &sections = levelTable(tour, "Secao");
    const int row = firstRow(sections, [&](int r) {
        return std::none_of(std::begin(kSectionNotes), std::end(kSectionNotes),
                            [&](const char *column) { return blank(text(sections, r, column)); });
    });
    if (row < 0)
        throw DataError(QStringLiteral("tour: no section has all five notes"));
    const QString code = text(sections, row, "Codigo_Sec");
    tour.window.BtnEstruturaClick();
    standOn(tour.dtm.QryEstrutura, "Codigo_Sec", code);
    tour.window.DBGEstruturaCellClick();
    clickNotes(tour, "TbsSecao");
}

void classWithoutNotes(TourContext &tour)
{
    Query &classes = levelTable(tour, "Classe");
    openClassAt(tour, classes, firstRow(classes, [&](int r) {
                    return std::all_of(std::begin(kClassNotes), std::end(kClassNotes),
                                       [&](const char *column) { return blank(text(classes, r, column)); });
                }));
    clickNotes(tour, "TbsClasse");
}

void classWithLongestNote(TourContext &tour)
{
    Query &classes = levelTable(tour, "Classe");
    int longest = -1;
    int length = 0;
    for (int row = 0; row < classes.recordCount(); ++row) {
        for (const char *column : kClassNotes) {
            if (text(classes, row, column).size() > length) {
                length = text(classes, row, column).size();
                longest = row;
            }
        }
    }
    openClassAt(tour, classes, longest);
    clickNotes(tour, "TbsClasse");
}

// Inside the help window: the advanced-search page scrolled to its end.
void toPageEnd(QDialog &window)
{
    QScrollBar *bar =
        window.findChild<QScrollArea *>(QStringLiteral("ScrPesquisaAvancada"))->verticalScrollBar();
    bar->setValue(bar->maximum());
}

// Inside the help window: from the advanced-search page to the synonym table.
void toSynonyms(QDialog &window)
{
    emit window.findChild<LinkLabel *>(QStringLiteral("Label14"))->clicked();
}

} // namespace

QVector<TourStep> windowSteps()
{
    return {
        {QStringLiteral("notas-secao-completa"), sectionWithEveryNote},
        {QStringLiteral("notas-classe-sem-notas"), classWithoutNotes},
        {QStringLiteral("notas-classe-nota-longa"), classWithLongestNote},
        // Back home through "Nova Pesquisa...", then the help window from each of its links.
        {QStringLiteral("ajuda-licenca"),
         [](TourContext &tour) {
             clickLink(tour, "LblLinkCabecalho2");
             clickLink(tour, "LblLicenca");
         }},
        {QStringLiteral("ajuda-sobre-a-pesquisa"),
         [](TourContext &tour) { clickLink(tour, "LblLinkCabecalho1"); }},
        {QStringLiteral("ajuda-pesquisa-avancada"),
         [](TourContext &tour) { clickLink(tour, "LblLinkCabecalho2"); }},
        {QStringLiteral("ajuda-pesquisa-avancada-fim"),
         [](TourContext &tour) { clickLink(tour, "LblLinkCabecalho2"); }, toPageEnd},
        {QStringLiteral("ajuda-sinonimos"), [](TourContext &tour) { clickLink(tour, "LblLinkCabecalho2"); },
         toSynonyms},
    };
}
