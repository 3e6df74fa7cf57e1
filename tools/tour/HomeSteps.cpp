#include "Tour.h"

#include "app/DataLookupCombo.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"

#include <QLineEdit>
#include <QRadioButton>

namespace
{

// Chooses an entry of the edition list as the user does; the list raises its choice itself.
void pickEdition(TourContext &tour, int index)
{
    auto *list = tour.find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    if (index < 0 || index >= list->count())
        return;
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// The first edition of the list whose Status is 1, or -1.
int firstFrozen(TourContext &tour)
{
    Query &editions = tour.dtm.QryClassificacao;
    const int status = editions.columnIndex(QStringLiteral("Status"));
    if (!editions.isOpen() || status < 0)
        return -1;
    for (int row = 0; row < editions.recordCount(); ++row) {
        if (editions.value(row, status).toInt() == 1)
            return row;
    }
    return -1;
}

} // namespace

QVector<TourStep> homeSteps()
{
    return {
        {QStringLiteral("inicio"), [](TourContext &) {}},
        {QStringLiteral("edicao-congelada"), [](TourContext &tour) { pickEdition(tour, firstFrozen(tour)); }},
        {QStringLiteral("edicao-atual"), [](TourContext &tour) { pickEdition(tour, 0); }},
        {QStringLiteral("texto-e-ordem"),
         [](TourContext &tour) {
             tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("venda de carros"));
             tour.find<QRadioButton>(QStringLiteral("RdbAlfabetica"))->setChecked(true);
         }},
        {QStringLiteral("cabecalho-sob-ponteiro"),
         [](TourContext &tour) {
             tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->clear();
             tour.find<QRadioButton>(QStringLiteral("RdbCodigo"))->setChecked(true);
             hoverOver(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
         }},
        {QStringLiteral("licenca-sob-ponteiro"),
         [](TourContext &tour) {
             hoverLeave(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
             hoverOver(tour.find<LinkLabel>(QStringLiteral("LblLicenca")));
         }},
    };
}
