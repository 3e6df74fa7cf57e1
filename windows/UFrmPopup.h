#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class TDtmMain;

namespace Ui
{
class TFrmPopup;
}

// The help window: terms of use, the search help and the synonym table, one page at a time with
// no tabs. Created for each opening, shown modally by AbrePagina, freed by the caller.
class TFrmPopup : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmPopup(TDtmMain &dtm, QWidget *parent = nullptr);
    ~TFrmPopup() override;
    TFrmPopup(const TFrmPopup &) = delete;
    TFrmPopup &operator=(const TFrmPopup &) = delete;

    // Pagina: 1 terms of use, 2 "Sobre a Pesquisa", 3 "Pesquisa Avançada". Returns when the
    // window closes.
    void AbrePagina(int Pagina);

    void OpenTbsSobrePesquisa();
    void OpenTbsPesquisaAvancada();
    void OpenTbsSinonimo();
    void PgcPrincipalChange();
    void fecharjanela();

    void LblLinkFecharJanelaClick();
    void Label3Click();
    void Label5Click();
    void Label8Click();
    void Label14Click();
    void Label22Click();
    void Mouse_Over(QObject *Sender);
    void Mouse_Out(QObject *Sender);

private:
    void bindWidgets();
    void growWithWindow();
    void zoomTexts();
    // Runs one handler; an error stops it there and shows the top-level error dialog.
    void guard(const std::function<void()> &handler);
    void centreOnMainWindow();

    TDtmMain &DtmMain;
    std::unique_ptr<Ui::TFrmPopup> ui;
};
