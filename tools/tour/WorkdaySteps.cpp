// A window kept open all day: back and forward between pages, another database opened from the
// home page, the notes popup and the help window enlarged.
#include "Tour.h"

#include "app/LinkLabel.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

QVector<TourStep> workdaySteps()
{
    return {
        {QStringLiteral("historico-voltar"),
         [](TourContext &tour) {
             // A search, its first result's page, then back: the results as they were, and the
             // links beside the header's, "Avançar »" now live.
             tour.window.LblLinkCabecalho1Click(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
             tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("venda"));
             tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
             tour.window.DbgPesquisaCellClick();
             tour.window.goBack();
         }},
        {QStringLiteral("historico-inicio-texto-mantido"),
         [](TourContext &tour) {
             // Home again: the search stays in the box, selected.
             tour.window.goBack();
         }},
        {QStringLiteral("abrir-banco-de-dados"), [](TourContext &tour) { tour.window.openDatabaseDialog(); }},
        {QStringLiteral("ajuda-pesquisa-avancada-ampliada"),
         [](TourContext &tour) { tour.window.AbreJanelaAjuda(3); },
         [](QDialog &help) { help.resize(1100, 760); }},
        {QStringLiteral("notas-maximizadas"),
         [](TourContext &tour) {
             tour.window.BtnEstruturaClick();
             tour.window.DBGEstruturaCellClick();
             emit tour.find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsSecao"))->clicked();
         },
         [](QDialog &notes) { notes.resize(1900, 1000); }},
    };
}
