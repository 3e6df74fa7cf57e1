// Keyboard use of the main window beyond what its widgets give by themselves: Enter on a push
// button, the focus on entering a page, and the keys that go up a level or home.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "ui_uFrmMain.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

#include <iterator>

namespace
{

// Enter on a focused push button presses it, as on the platform the program comes from; Qt
// gives buttons outside dialogs only Space.
class EnterPressesButton : public QObject
{
public:
    explicit EnterPressesButton(QPushButton *button) : QObject(button), m_button(button)
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_button && event->type() == QEvent::KeyPress) {
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
    QPushButton *m_button;
};

} // namespace

void TFrmMain::bindKeyboard()
{
    for (QPushButton *button : {ui->BtnPesquisa, ui->BtnEstrutura})
        new EnterPressesButton(button);

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

    // Backspace and Alt+Left do what the nearest link upwards does; Alt+Home what the link
    // home does. The search box keeps its own Backspace.
    const auto goUp = [this] {
        LinkLabel *const upwards[] = {nullptr,
                                      nullptr,
                                      ui->LblLinkCabecalho1, // "Topo da Estrutura..."
                                      ui->LblCodSecao_TbsDivisao,
                                      ui->LblCodDivisao_TbsGrupo,
                                      ui->LblCodGrupo_TbsClasse,
                                      ui->LblCodClasse_TbsSubClasse,
                                      nullptr};
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
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Left)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, goUp);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Home), this), &QShortcut::activated, this, goHome);
}
