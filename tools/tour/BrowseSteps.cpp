#include "Tour.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>

namespace
{

const char *const kGrids[] = {"DBGEstrutura", "DbgSecao", "DbgDivisao", "DbgGrupo", "DbgClasse"};

void click(QWidget *widget, const QPoint &at)
{
    const QPointF local(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
}

DataGrid *gridOnShow(TourContext &tour)
{
    const int page = tour.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
    return page >= 1 && page <= 5 ? tour.find<DataGrid>(QLatin1String(kGrids[page - 1])) : nullptr;
}

// Clicks the row of the grid on show whose code column shows `code` (the first row when none does).
void clickCode(TourContext &tour, const QString &code)
{
    DataGrid *grid = gridOnShow(tour);
    if (!grid)
        return;
    const QAbstractItemModel *model = grid->model();
    int row = 0;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 0).data().toString() == code)
            row = r;
    }
    grid->scrollTo(model->index(row, 0));
    click(grid->viewport(), grid->visualRect(model->index(row, 0)).center());
}

// Codes of the first class that has at least `min` subclasses, or none at all when min is 0, as the
// lists show them from the structure page down: section, division, group, class (XXXX-X).
QStringList classPath(TourContext &tour, int min)
{
    const QString prefix = tour.window.nav.PrefixoTabela;
    const QString statement =
        min == 0 ? QStringLiteral(
                       "SELECT C.Codigo_Sec, C.Codigo_Div, C.Codigo_Grp, C.Codigo_Cla FROM %1_Classe C "
                       "WHERE NOT EXISTS (SELECT 1 FROM %1_SubClasse S WHERE S.Codigo_Cla = C.Codigo_Cla) "
                       "ORDER BY C.Codigo_Cla")
                       .arg(prefix)
                 : QStringLiteral(
                       "SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla FROM %1_SubClasse GROUP BY "
                       "Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla HAVING COUNT(*) >= %2 ORDER BY "
                       "Codigo_Cla")
                       .arg(prefix)
                       .arg(min);
    const ResultSet found = tour.dtm.ADCMain.execute(statement);
    if (found.rows.isEmpty())
        return {};
    QStringList path;
    for (const QVariant &value : found.rows.first())
        path.append(value.toString());
    path[3] = path[3].left(4) + QLatin1Char('-') + path[3].right(1);
    return path;
}

void openStructure(TourContext &tour)
{
    tour.find<QPushButton>(QStringLiteral("BtnEstrutura"))->click();
}

void browseTo(TourContext &tour, const QStringList &path)
{
    openStructure(tour);
    for (const QString &code : path)
        clickCode(tour, code);
}

} // namespace

QVector<TourStep> browseSteps()
{
    return {
        {QStringLiteral("estrutura"), [](TourContext &tour) { openStructure(tour); }},
        {QStringLiteral("secao"), [](TourContext &tour) { clickCode(tour, classPath(tour, 2).value(0)); }},
        {QStringLiteral("divisao"), [](TourContext &tour) { clickCode(tour, classPath(tour, 2).value(1)); }},
        {QStringLiteral("grupo"), [](TourContext &tour) { clickCode(tour, classPath(tour, 2).value(2)); }},
        {QStringLiteral("classe"), [](TourContext &tour) { clickCode(tour, classPath(tour, 2).value(3)); }},
        {QStringLiteral("subclasse"),
         [](TourContext &tour) {
             DataGrid *grid = gridOnShow(tour);
             if (grid && grid->model()->rowCount() > 0)
                 clickCode(tour, grid->model()->index(grid->model()->rowCount() - 1, 0).data().toString());
         }},
        {QStringLiteral("subclasse-link-sob-ponteiro"),
         [](TourContext &tour) {
             hoverOver(tour.find<LinkLabel>(QStringLiteral("LblCodGrupo_TbsSubClasse")));
         }},
        {QStringLiteral("grupo-pelo-link"),
         [](TourContext &tour) {
             auto *link = tour.find<LinkLabel>(QStringLiteral("LblCodGrupo_TbsSubClasse"));
             hoverLeave(link);
             click(link, QPoint(2, 2));
         }},
        // A subclass edition subdivides every class: this one needs an edition that does not.
        {QStringLiteral("classe-sem-subclasses"),
         [](TourContext &tour) {
             openStructure(tour);
             click(tour.find<LinkLabel>(QStringLiteral("LblLinkNovaPesquisa")), QPoint(2, 2));
             pickEdition(tour, false);
             browseTo(tour, classPath(tour, 0));
         }},
    };
}
