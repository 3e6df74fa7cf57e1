// The main window's help with the search: keyword completion in the search box, the matched words
// in bold in the results, and corrected searches when a search finds nothing.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/LinkLabel.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "search/EmphasisDelegate.h"
#include "search/RecentSearches.h"
#include "search/SearchOffersPanel.h"
#include "search/VocabularyLoader.h"
#include "search/WordCompletion.h"
#include "ui_uFrmMain.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QStackedWidget>
#include <QTimer>

void TFrmMain::attachSearchHelp()
{
    m_vocabularies = new VocabularyLoader(this);
    m_vocabularies->setObjectName(QStringLiteral("VocabularyLoader"));
    m_wordCompletion =
        new WordCompletion(ui->EdtPesquisa, m_recentSearches, [this] { return editionVocabulary(); });
    m_searchOffers = new SearchOffersPanel(ui->DbgPesquisa);

    connect(m_vocabularies, &VocabularyLoader::loaded, this, [this](const QString &prefix) {
        if (prefix != nav.PrefixoTabela)
            return;
        m_wordCompletion->refresh();
        if (m_offersWaiting)
            guard([this] { offerCorrections(); });
    });
    // The description column draws the searched words bold; the grid's own delegate does the rest.
    auto *emphasis = new EmphasisDelegate(ui->DbgPesquisa->itemDelegate(), ui->DbgPesquisa);
    ui->DbgPesquisa->setItemDelegateForColumn(1, emphasis);
    connect(&DtmMain.QryPesquisa, &Query::reloaded, this, [this, emphasis] {
        emphasis->setSearch(m_searchWords);
        m_searchOffers->hide();
        // Once the window is idle, and only for the last of several searches run at once: the
        // offers cost statements of their own.
        if (!m_offersQueued) {
            m_offersQueued = true;
            QTimer::singleShot(0, this, [this] {
                m_offersQueued = false;
                guard([this] { offerCorrections(); });
            });
        }
    });
    connect(m_searchOffers, &SearchOffersPanel::linkCreated, this, [this](LinkLabel *link) {
        link->setPalette(ui->LblNotasExplicativas_TbsSecao->palette());
        connect(link, &LinkLabel::mouseMoved, this, [this, link] { Mouse_Over(link); });
        connect(link, &LinkLabel::mouseLeft, this, [this, link] { Mouse_Out(link); });
    });
    connect(m_searchOffers, &SearchOffersPanel::chosen, this, [this](const QString &text) {
        // Later, so that the link that was clicked is not deleted under its own signal.
        QTimer::singleShot(0, this, [this, text] {
            ui->EdtPesquisa->setText(text);
            guard([this] { BtnPesquisaClick(); });
        });
    });
    // The list under the search box does not outlive the page it belongs to.
    connect(ui->PgcPrincipal, &QStackedWidget::currentChanged, this,
            [this] { m_recentSearches->completer()->popup()->hide(); });
    // Each edition's vocabulary is read as soon as the edition is open, before the first keystroke.
    connect(ui->CmbClassificacao, &DataLookupCombo::picked, this, [this] { editionVocabulary(); });
    QTimer::singleShot(0, this, [this] { editionVocabulary(); });
}

std::shared_ptr<const SearchVocabulary> TFrmMain::editionVocabulary()
{
    if (!DtmMain.ADCMain.isOpen())
        return {};
    return m_vocabularies->vocabulary(DtmMain.ADCMain.connectionString(), nav.PrefixoTabela);
}

void TFrmMain::offerCorrections()
{
    m_offersWaiting = false;
    const Query &results = DtmMain.QryPesquisa;
    if (nav.OrigemPesquisa != 1 || !results.isOpen() || results.recordCount() > 0) {
        m_searchOffers->hide();
        return;
    }
    // The text as this search used it, apostrophes single again.
    const QString text = QString(nav.TextoPesquisa).replace(QLatin1String("''"), QLatin1String("'"));
    const std::shared_ptr<const SearchVocabulary> vocabulary = editionVocabulary();
    if (!vocabulary) {
        m_offersWaiting = true;
        m_searchOffers->showFor(text, {}, true);
        return;
    }
    QVector<SearchOffer> offers;
    try {
        offers = searchOffers(*vocabulary, text, [this, &vocabulary](const QString &offer) {
            return countSearchResults(DtmMain.ADCMain, vocabulary->groups(), nav.PrefixoTabela,
                                      nav.FiltroSubClasse, offer);
        });
    } catch (const DataError &) {
        // An offer that cannot be counted is no offer; the sentence still says what happened.
    }
    m_searchOffers->showFor(text, offers, false);
}
