// A window kept open all day: back and forward between pages, another database opened from the
// home page, the notes popup and the help window enlarged.
#include "Tour.h"

#include "app/LinkLabel.h"
#include "app/TextZoom.h"
#include "search/VocabularyLoader.h"

#include <QApplication>
#include <QDialog>
#include <QPair>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace
{

QPair<QSize, bool> &placeBeforeRestore()
{
    static QPair<QSize, bool> place;
    return place;
}

QSize &sizeBeforeZoom()
{
    static QSize size;
    return size;
}

} // namespace

QVector<TourStep> workdaySteps()
{
    return {
        {QStringLiteral("janela-restaurada"),
         [](TourContext &tour) {
             // Restored from maximised to a size between the design and the screen, then
             // maximised again: the pages follow both ways.
             QWidget &window = tour.window;
             placeBeforeRestore() = {window.size(), window.minimumSize() == window.maximumSize()};
             window.setMinimumSize(804, 585);
             window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
             window.showNormal();
             window.resize(1100, 720);
             tour.window.BtnEstruturaClick();
             tour.window.DBGEstruturaCellClick();
         }},
        {QStringLiteral("janela-maximizada-de-novo"),
         [](TourContext &tour) {
             QWidget &window = tour.window;
             window.showMaximized();
             QApplication::processEvents();
             // The tour's maximised window is exactly the size it was given.
             const auto [size, fixed] = placeBeforeRestore();
             if (fixed)
                 window.setFixedSize(size);
             else
                 window.resize(size);
         }},
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
        // The texts at 150 %, as Ctrl+plus leaves them after four steps.
        {QStringLiteral("texto-150-inicio"),
         [](TourContext &tour) {
             sizeBeforeZoom() = tour.window.size();
             TextZoom::instance().setPercent(150);
             tour.window.LblLinkCabecalho1Click(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
         }},
        {QStringLiteral("texto-150-estrutura"), [](TourContext &tour) { tour.window.BtnEstruturaClick(); }},
        {QStringLiteral("texto-150-secao"), [](TourContext &tour) { tour.window.DBGEstruturaCellClick(); }},
        {QStringLiteral("texto-150-divisao"), [](TourContext &tour) { tour.window.DbgSecaoCellClick(); }},
        {QStringLiteral("texto-150-grupo"), [](TourContext &tour) { tour.window.DbgDivisaoCellClick(); }},
        {QStringLiteral("texto-150-classe"), [](TourContext &tour) { tour.window.DbgGrupoCellClick(); }},
        {QStringLiteral("texto-150-subclasse"), [](TourContext &tour) { tour.window.DbgClasseCellClick(); }},
        {QStringLiteral("texto-150-notas"),
         [](TourContext &tour) {
             emit tour.find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsSubClasse"))->clicked();
         }},
        {QStringLiteral("texto-150-pesquisa"),
         [](TourContext &tour) {
             tour.window.LblLinkCabecalho1Click(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
             tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))
                 ->setText(QStringLiteral("comércio de peças"));
             tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
         }},
        {QStringLiteral("texto-150-sugestoes"),
         [](TourContext &tour) {
             // Nothing found: the corrected searches offered inside the list, once the
             // vocabulary is read.
             tour.window.LblLinkCabecalho1Click(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
             tour.find<VocabularyLoader>(QStringLiteral("VocabularyLoader"))->waitForAll();
             tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))
                 ->setText(QStringLiteral("vemda de automovl"));
             tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
             QApplication::processEvents();
         }},
        {QStringLiteral("texto-150-ajuda"), [](TourContext &tour) { tour.window.AbreJanelaAjuda(3); }},
        {QStringLiteral("texto-100"),
         [](TourContext &tour) {
             // The window took the larger size the texts needed; the later pictures want it back.
             TextZoom::instance().setPercent(100);
             tour.window.resize(sizeBeforeZoom());
         }},
    };
}
