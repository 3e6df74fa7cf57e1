#include "search/SearchOffersPanel.h"

#include "app/LinkLabel.h"

#include <QLabel>
#include <QVBoxLayout>

SearchOffersPanel::SearchOffersPanel(QWidget *grid)
    : QWidget(grid), m_sentence(new QLabel(this)), m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("PnlSugestoesPesquisa"));
    m_sentence->setObjectName(QStringLiteral("LblSemResultados"));
    m_sentence->setWordWrap(true);
    m_sentence->setTextFormat(Qt::PlainText);
    m_layout->setContentsMargins(12, 12, 12, 12);
    m_layout->setSpacing(6);
    m_layout->addWidget(m_sentence);
    hide();
}

void SearchOffersPanel::showFor(const QString &text, const QVector<SearchOffer> &offers, bool waiting)
{
    for (LinkLabel *link : std::as_const(m_links))
        delete link;
    m_links.clear();

    QString sentence = QStringLiteral("Nenhuma atividade encontrada para “%1”.").arg(text);
    if (!offers.isEmpty())
        sentence += QStringLiteral(" Pesquisas próximas que encontram atividades:");
    else if (!waiting)
        sentence += QStringLiteral(" Nenhuma pesquisa parecida encontra atividades: confira a grafia, ou "
                                   "use * para achar parte de uma palavra (automov*).");
    m_sentence->setText(sentence);

    for (int i = 0; i < offers.size(); ++i) {
        auto *link = new LinkLabel(this);
        link->setObjectName(QStringLiteral("LblSugestao_%1").arg(i));
        const int count = offers[i].activities;
        link->setText(QStringLiteral("%1 — %2").arg(offers[i].text,
                                                    count == 1 ? QStringLiteral("1 atividade")
                                                               : QStringLiteral("%1 atividades").arg(count)));
        const QString offer = offers[i].text;
        connect(link, &LinkLabel::clicked, this, [this, offer] { emit chosen(offer); });
        m_layout->addWidget(link, 0, Qt::AlignLeft);
        m_links.append(link);
        emit linkCreated(link);
    }
    if (QWidget *grid = parentWidget()) {
        const int width = std::max(200, grid->width() - 24);
        setFixedWidth(width);
        move(8, grid->height() > 80 ? 28 : 0);
        adjustSize();
    }
    show();
    raise();
}
