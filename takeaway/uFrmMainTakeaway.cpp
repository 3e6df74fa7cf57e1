// The main window's lists to take away: the links and keys that export, print and copy them.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"
#include "search/RecentSearches.h"
#include "search/SearchKeywords.h"
#include "takeaway/PageList.h"
#include "ui_uFrmMain.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QShortcut>

namespace
{

constexpr int PageSubClasse = 6;

// Keeps a link beside a label of the designed layout wherever the layout puts that label:
// after its text, or after its whole box when the text changes under it (the count).
class PlaceBeside : public QObject
{
public:
    PlaceBeside(QWidget *link, QLabel *anchor, bool afterText)
        : QObject(link), m_link(link), m_anchor(anchor), m_afterText(afterText)
    {
        anchor->installEventFilter(this);
        place();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        const int right = m_afterText
                              ? m_anchor->x() + m_anchor->fontMetrics().horizontalAdvance(m_anchor->text())
                              : m_anchor->geometry().right() + 1;
        m_link->move(right + 16, m_anchor->y());
    }

    QWidget *m_link;
    QLabel *m_anchor;
    bool m_afterText;
};

} // namespace

void TFrmMain::attachTakeaway()
{
    m_searchKeywords = std::make_unique<SearchKeywords>(DtmMain.QryPesquisa, DtmMain.ADCMain);
    m_recentSearches = new RecentSearches(ui->EdtPesquisa);

    const auto run = [this](std::function<void()> handler) { return [this, handler] { guard(handler); }; };
    const auto addLink = [this, &run](QLabel *anchor, bool afterText, const QString &name,
                                      const QString &caption, std::function<void()> handler) {
        auto *link = new LinkLabel(anchor->parentWidget());
        link->setObjectName(name);
        link->setText(caption);
        link->setPalette(ui->LblNotasExplicativas_TbsSecao->palette());
        link->adjustSize();
        new PlaceBeside(link, anchor, afterText);
        connect(link, &LinkLabel::mouseMoved, this, run([this, link] { Mouse_Over(link); }));
        connect(link, &LinkLabel::mouseLeft, this, run([this, link] { Mouse_Out(link); }));
        connect(link, &LinkLabel::clicked, this, run(std::move(handler)));
        link->show();
        return link;
    };

    QLabel *exportResults = addLink(ui->LblNumeroRegistros, false, QStringLiteral("LblExportarResultados"),
                                    QStringLiteral("Exportar resultados..."), [this] { exportPageList(); });
    addLink(exportResults, false, QStringLiteral("LblImprimirResultados"), QStringLiteral("Imprimir..."),
            [this] { printPage(); });
    const std::pair<QLabel *, QString> levelPages[] = {
        {ui->LblObservacao_TbsSecao, QStringLiteral("TbsSecao")},
        {ui->LblObservacao_TbsDivisao, QStringLiteral("TbsDivisao")},
        {ui->LblObservacao_TbsGrupo, QStringLiteral("TbsGrupo")},
        {ui->LblObservacao_TbsClasse, QStringLiteral("TbsClasse")},
        {ui->LblObservacao_TbsSubClasse, QStringLiteral("TbsSubClasse")}};
    for (const auto &[observacao, page] : levelPages) {
        QLabel *print = addLink(observacao, true, QStringLiteral("LblImprimir_") + page,
                                QStringLiteral("Imprimir..."), [this] { printPage(); });
        if (page != QLatin1String("TbsSubClasse"))
            addLink(print, false, QStringLiteral("LblExportarLista_") + page,
                    QStringLiteral("Exportar lista..."), [this] { exportPageList(); });
        else
            addLink(print, false, QStringLiteral("LblExportarAtividades_") + page,
                    QStringLiteral("Exportar atividades..."), [this] { exportPageList(); });
    }
    // The structure page's links stand in its design, beside "Nova Pesquisa...".
    const std::pair<LinkLabel *, std::function<void()>> designed[] = {
        {ui->LblExportarClassificacao_TbsEstrutura, [this] { exportEdition(); }},
        {ui->LblExportar_TbsEstrutura, [this] { exportPageList(); }},
        {ui->LblImprimir_TbsEstrutura, [this] { printPage(); }}};
    for (const auto &[link, handler] : designed) {
        link->setPalette(ui->LblNotasExplicativas_TbsSecao->palette());
        connect(link, &LinkLabel::mouseMoved, this, run([this, link = link] { Mouse_Over(link); }));
        connect(link, &LinkLabel::mouseLeft, this, run([this, link = link] { Mouse_Out(link); }));
        connect(link, &LinkLabel::clicked, this, run(handler));
    }

    attachMatchTooltips();

    // Window-wide keys that act on the page on show. A grid with the focus copies its selection
    // itself, and a text box its text.
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            run([this] { exportPageList(); }));
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
            run([this] { printPage(); }));
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
            run([this] { copyPageList(); }));
}

void TFrmMain::copyPageList()
{
    if (DataGrid *grid = pageGrid()) {
        const QString text = grid->selectedCodesAndDescriptions();
        if (!text.isEmpty())
            QApplication::clipboard()->setText(text);
        return;
    }
    PageList list;
    if (ui->PgcPrincipal->currentIndex() != PageSubClasse || !pageList(list) || list.table.rows.isEmpty())
        return;
    QStringList lines;
    for (const QStringList &row : list.table.rows)
        lines.append(row.value(0) + QLatin1Char('\t') + row.value(1).simplified());
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}
