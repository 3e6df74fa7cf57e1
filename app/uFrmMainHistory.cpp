// Back and forward through the pages visited in this run, as a browser goes: Alt+Left and
// Alt+Right, the mouse's back and forward buttons, and two small links beside the header's.
// Every move goes through the page dispatcher, which notes the page left (its current row) and
// the page reached; going up a level stands the parent's list on the row the move came from.
#include "app/uFrmMain.h"

#include "app/DataLookupCombo.h"
#include "app/LinkLabel.h"
#include "browse/HierarchyStatements.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "ui_uFrmMain.h"

#include <QApplication>
#include <QMouseEvent>
#include <QShortcut>

#include <iterator>

namespace
{

enum Page { PagePrincipal = 0, PageEstrutura = 1, PageSecao = 2, PageSubClasse = 6, PagePesquisa = 7 };

const char *const kCodeColumns[] = {"Codigo_Sec", "Codigo_Div", "Codigo_Grp", "Codigo_Cla", "Codigo_Sub"};

// The mouse's back and forward buttons, wherever the pointer is over the window.
class HistoryButtons : public QObject
{
public:
    explicit HistoryButtons(TFrmMain *window) : QObject(window), m_window(window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType())
            return false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (static_cast<QWidget *>(watched)->window() != m_window)
            return false;
        if (mouse->button() == Qt::BackButton) {
            m_window->goBack();
            return true;
        }
        if (mouse->button() == Qt::ForwardButton) {
            m_window->goForward();
            return true;
        }
        return false;
    }

private:
    TFrmMain *m_window;
};

void standOn(Query &list, int level, const QString &code)
{
    if (!list.locate(QLatin1String(kCodeColumns[level]), code))
        throw DataError(QStringLiteral("O item %1 não existe mais nesta classificação.").arg(code));
}

} // namespace

// The links stand in the header just left of its own links and follow its right edge.
void TFrmMain::makeHistoryLinks()
{
    const auto makeLink = [this](const char *name, const QString &caption, const QString &tip, int x) {
        auto *link = new LinkLabel(ui->PnlCabecalho);
        link->setObjectName(QLatin1String(name));
        link->setText(caption);
        link->setToolTip(tip);
        link->setCursor(Qt::PointingHandCursor);
        link->adjustSize();
        link->move(x, ui->PnlLinks->y() + 7);
        return link;
    };
    m_backLink = makeLink("LblVoltar", QStringLiteral("« Voltar"),
                          QStringLiteral("Voltar à página anterior (Alt+Esquerda)"), ui->PnlLinks->x() - 100);
    m_forwardLink = makeLink("LblAvancar", QStringLiteral("Avançar »"),
                             QStringLiteral("Avançar à página seguinte (Alt+Direita)"), ui->PnlLinks->x() - 48);
    for (LinkLabel *link : {m_backLink, m_forwardLink}) {
        connect(link, &LinkLabel::mouseMoved, this, [this, link] { LblLinkCabecalho1MouseMove(link); });
        connect(link, &LinkLabel::mouseLeft, this, [this, link] { LblLinkCabecalho1MouseLeave(link); });
    }
    connect(m_backLink, &LinkLabel::clicked, this, &TFrmMain::goBack);
    connect(m_forwardLink, &LinkLabel::clicked, this, &TFrmMain::goForward);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this), &QShortcut::activated, this,
            &TFrmMain::goBack);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this), &QShortcut::activated, this,
            &TFrmMain::goForward);
    new HistoryButtons(this);
    updateHistoryLinks();
}

void TFrmMain::updateHistoryLinks()
{
    m_backLink->setEnabled(m_history.canGoBack());
    m_forwardLink->setEnabled(m_history.canGoForward());
}

void TFrmMain::goBack()
{
    noteLeaving();
    travel(m_history.back());
}

void TFrmMain::goForward()
{
    noteLeaving();
    travel(m_history.forward());
}

void TFrmMain::travel(const PageVisit *visit)
{
    if (!visit)
        return;
    const PageVisit shown = *visit;
    m_travelling = true;
    guard([this, &shown] { showVisit(shown); });
    m_travelling = false;
    updateHistoryLinks();
}

// The list of each page, whose current row a visit keeps.
static Query *listOfPage(TDtmMain &dtm, int page)
{
    Query *const lists[] = {nullptr,          &dtm.QryEstrutura, &dtm.QrySecaoAux, &dtm.QryDivisaoAux,
                            &dtm.QryGrupoAux, &dtm.QryClasseAux, nullptr,          &dtm.QryPesquisa};
    return page >= 0 && page < int(std::size(lists)) ? lists[page] : nullptr;
}

PageVisit TFrmMain::pageOnShow() const
{
    PageVisit visit;
    visit.page = ui->PgcPrincipal->currentIndex();
    visit.edition = nav.CodClassificacao;
    const QString *const codes[] = {&nav.CodSecao, &nav.CodDivisao, &nav.CodGrupo, &nav.CodClasse,
                                    &nav.CodSubClasse};
    for (int i = 0; i < 5; ++i)
        visit.codes[i] = *codes[i];
    if (visit.page == PagePesquisa) {
        visit.searchText = ui->EdtPesquisa->text();
        visit.byCode = ui->RdbCodigo->isChecked();
        visit.origin = nav.OrigemPesquisa;
    }
    if (const Query *list = listOfPage(DtmMain, visit.page))
        visit.row = list->currentRow();
    return visit;
}

void TFrmMain::noteLeaving()
{
    PageVisit *current = m_history.current();
    if (!current || m_travelling)
        return;
    if (const Query *list = listOfPage(DtmMain, current->page); list && list->isOpen())
        current->row = list->currentRow();
}

void TFrmMain::noteArrival(const PageVisit &left)
{
    const int page = ui->PgcPrincipal->currentIndex();
    // Up from a level page: the parent's list stands on the item just left, not on its first row.
    if (!m_travelling && left.page > page && page >= PageEstrutura && left.page <= PageSubClasse) {
        if (Query *list = listOfPage(DtmMain, page); list && !left.codes[page - 1].isEmpty())
            list->locate(QLatin1String(kCodeColumns[page - 1]), left.codes[page - 1]);
    }
    if (!m_travelling)
        m_history.visit(pageOnShow());
    if (m_backLink)
        updateHistoryLinks();
}

// Shows a visit again through the same moves that first showed it: the edition it was in, the
// lists down to its item, the search with its text and sort; then the row it was left on.
void TFrmMain::showVisit(const PageVisit &visit)
{
    if (visit.edition != nav.CodClassificacao && !visit.edition.isEmpty()) {
        ui->CmbClassificacao->setKeyValue(visit.edition);
        nav.CodClassificacao = visit.edition;
        CarregaClassificacao(visit.edition);
    }
    const int page = visit.page;
    if (page == PagePrincipal || page == PageEstrutura) {
        if (page == PageEstrutura)
            requireEdition();
        ui->PgcPrincipal->setCurrentIndex(page);
        PgcPrincipalChange(ui->PgcPrincipal->currentWidget());
    } else if (page >= PageSecao && page <= PageSubClasse) {
        requireEdition();
        const int level = page - PageSecao;
        QString *const codes[] = {&nav.CodSecao, &nav.CodDivisao, &nav.CodGrupo, &nav.CodClasse,
                                  &nav.CodSubClasse};
        for (int i = 0; i < 5; ++i)
            *codes[i] = visit.codes[i];
        CarregaSecaoEstrutura();
        if (level >= 1) {
            CarregaDivisoesSecao();
            standOn(DtmMain.QrySecaoAux, 1, nav.CodDivisao);
        }
        if (level >= 2) {
            CarregaGruposDivisao();
            standOn(DtmMain.QryDivisaoAux, 2, nav.CodGrupo);
        }
        if (level >= 3) {
            DtmMain.QryGrupoAux.reload(classesOfGroup(nav.PrefixoTabela, nav.CodGrupo));
            standOn(DtmMain.QryGrupoAux, 3, nav.CodClasse);
        }
        if (level >= 4) {
            DtmMain.QryClasseAux.reload(subclassesOfClass(nav.PrefixoTabela, nav.CodClasse));
            standOn(DtmMain.QryClasseAux, 4, nav.CodSubClasse);
        }
        nav.VeioDaPesquisa = 0;
        ui->PgcPrincipal->setCurrentIndex(page);
        PgcPrincipalChange(ui->PgcPrincipal->currentWidget());
    } else if (page == PagePesquisa) {
        requireEdition();
        ui->EdtPesquisa->setText(visit.searchText);
        (visit.byCode ? ui->RdbCodigo : ui->RdbAlfabetica)->setChecked(true);
        nav.OrigemPesquisa = visit.origin;
        AbrePaginaPesquisa();
    }
    if (Query *list = listOfPage(DtmMain, page); list && visit.row >= 0 && visit.row < list->recordCount())
        list->setCurrentRow(visit.row);
}
