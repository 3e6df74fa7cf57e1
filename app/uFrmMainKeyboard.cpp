// Keyboard use of the main window beyond what its widgets give by themselves: Enter on a push
// button, the focus on entering a page, and the keys that go up a level or home.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "ui_uFrmMain.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolTip>

#include <iterator>

namespace
{

// Enter on a focused push button presses it, as on the platform the program comes from; Qt
// gives buttons outside dialogs only Space. Enter on a sort choice runs the search, as Enter in
// the search box does.
class EnterPressesButton : public QObject
{
public:
    EnterPressesButton(QWidget *watched, QAbstractButton *button) : QObject(watched), m_button(button)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                m_button->click();
                return true;
            }
        }
        return false;
    }

private:
    QAbstractButton *m_button;
};

// A tooltip shown from the keyboard (the Ctrl+I explanation of a result) describes the current
// row: any key but a lone modifier hides it, before the row can move under it.
class KeyHidesToolTip : public QObject
{
public:
    explicit KeyHidesToolTip(QWidget *watched) : QObject(watched) { watched->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Escape closes the tip first; only a second Escape leaves the page.
        if (event->type() == QEvent::ShortcutOverride && QToolTip::isVisible() &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && QToolTip::isVisible()) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            const bool modifier = key >= Qt::Key_Shift && key <= Qt::Key_ScrollLock;
            if (!modifier) {
                QToolTip::hideText();
                return key == Qt::Key_Escape;
            }
        }
        return false;
    }
};

} // namespace

void TFrmMain::bindKeyboard()
{
    for (QPushButton *button : {ui->BtnPesquisa, ui->BtnEstrutura})
        new EnterPressesButton(button, button);
    for (QRadioButton *order : {ui->RdbCodigo, ui->RdbAlfabetica})
        new EnterPressesButton(order, ui->BtnPesquisa);
    new KeyHidesToolTip(ui->DbgPesquisa);

    // Tab follows the home page as it reads: the search box and the edition beside it, the
    // buttons, the sort choice, the terms of use, then the header's links.
    QWidget *const homeOrder[] = {ui->EdtPesquisa,  ui->CmbClassificacao,  ui->BtnPesquisa,
                                  ui->BtnEstrutura, ui->RdbCodigo,         ui->RdbAlfabetica,
                                  ui->LblLicenca,   ui->LblLinkCabecalho1, ui->LblLinkCabecalho2};
    for (size_t i = 1; i < std::size(homeOrder); ++i)
        setTabOrder(homeOrder[i - 1], homeOrder[i]);
    // A wheel turn over the closed edition list must not take the focus from the search box.
    ui->CmbClassificacao->setFocusPolicy(Qt::StrongFocus);

    // F1: the help that fits the page; on a level page, the notes of the item on show.
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        LinkLabel *const notes[] = {ui->LblNotasExplicativas_TbsSecao, ui->LblNotasExplicativas_TbsDivisao,
                                    ui->LblNotasExplicativas_TbsGrupo, ui->LblNotasExplicativas_TbsClasse,
                                    ui->LblNotasExplicativas_TbsSubClasse};
        const int level = ui->PgcPrincipal->currentIndex() - 2;
        if (level >= 0 && level < int(std::size(notes)) && notes[level]->isVisible())
            emit notes[level]->clicked();
        else
            guard([this] { AbreJanelaAjuda(2); });
    });

    // A page entered takes the focus on its list, so that the arrows and Enter work at once; the
    // home page gives it to the search box itself.
    connect(ui->PgcPrincipal, &QStackedWidget::currentChanged, this, [this](int page) {
        QWidget *const firstStop[] = {nullptr,
                                      ui->DBGEstrutura,
                                      ui->DbgSecao,
                                      ui->DbgDivisao,
                                      ui->DbgGrupo,
                                      ui->DbgClasse,
                                      ui->LblListarAtividades_TbsSubClasse,
                                      ui->DbgPesquisa};
        if (page > 0 && page < int(std::size(firstStop)))
            firstStop[page]->setFocus(Qt::OtherFocusReason);
    });

    // Backspace and Alt+Up do what the nearest link upwards does (on the results page, the way
    // home), Escape too on the results page; Alt+Home what the link home does. The search box
    // keeps its own Backspace. Alt+Left and Alt+Right go back and forward (app/uFrmMainHistory.cpp).
    const auto goUp = [this] {
        LinkLabel *const upwards[] = {nullptr,
                                      nullptr,
                                      ui->LblLinkCabecalho1, // "Topo da Estrutura..."
                                      ui->LblCodSecao_TbsDivisao,
                                      ui->LblCodDivisao_TbsGrupo,
                                      ui->LblCodGrupo_TbsClasse,
                                      ui->LblCodClasse_TbsSubClasse,
                                      ui->LblLinkCabecalho2}; // "Nova Pesquisa..."
        const int page = ui->PgcPrincipal->currentIndex();
        if (page >= 0 && page < int(std::size(upwards)) && upwards[page])
            emit upwards[page]->clicked();
    };
    const auto goHome = [this] {
        const int page = ui->PgcPrincipal->currentIndex();
        if (page == 1)
            emit ui->LblLinkNovaPesquisa->clicked();
        else if (page > 1)
            emit ui->LblLinkCabecalho2->clicked(); // "Nova Pesquisa..."
    };
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Up)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, goUp);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this, goUp] {
        if (ui->PgcPrincipal->currentIndex() == 7)
            goUp();
    });
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Home), this), &QShortcut::activated, this, goHome);
}
