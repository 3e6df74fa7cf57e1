#pragma once

#include "app/NavigationState.h"
#include "app/PageHistory.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class DataGrid;
class LinkLabel;
class QLabel;
class Query;
struct CitedCode;
struct LevelItem;
class RecentSearches;
struct PageList;
class SearchKeywords;
class SearchOffersPanel;
class SearchVocabulary;
class VocabularyLoader;
class WordCompletion;
class TDtmMain;

namespace Ui
{
class TFrmMain;
}

// The main window: header, eight pages, the navigation state and every handler behind them.
// Its members are defined across the folders of their subsystem (app/, browse/, search/, windows/).
class TFrmMain : public QMainWindow
{
    Q_OBJECT
public:
    // FormCreate runs inside the constructor; FormShow on the first show; FormClose on close.
    // The database is <baseDirectory>/Database/ZELT.mdb; an empty baseDirectory means the
    // executable's directory (tests and the screenshot tour point it elsewhere). A databaseFile
    // (the command line's --database) is opened instead.
    explicit TFrmMain(TDtmMain &dtm, const QString &baseDirectory = QString(),
                      const QString &databaseFile = QString(), QWidget *parent = nullptr);
    ~TFrmMain() override;

    NavigationState nav;

    // Shows the window where it stood when the last run closed it, on a screen where it fits;
    // maximised on the first run.
    void showPlaced();

    // Handlers and operations are public so that tests and the screenshot tour drive them as
    // the user's clicks would.

    // Start-up and database connection
    void FormCreate();
    void FormShow();
    void FormClose();
    void CmbClassificacaoClick();
    void CarregaClassificacao(const QString &codigo);
    QString LeVersaoArquivo();

    // Header links and link labels
    void MudaCaptionLink(int modo);
    void LblLinkCabecalho1Click(QObject *Sender);
    void LblLinkCabecalho1MouseMove(QObject *Sender);
    void LblLinkCabecalho1MouseLeave(QObject *Sender);
    void LblLicencaClick();
    void LblLicencaMouseMove();
    void LblLicencaMouseLeave();
    void Mouse_Over(QObject *Sender);
    void Mouse_Out(QObject *Sender);

    // Navigation and the page dispatcher
    void PgcPrincipalChange(QObject *Sender);
    void LimpaCodigos();
    void CopiaCodigosPesquisa();
    void BtnEstruturaClick();
    void AbrePaginaSecao();
    void AbrePaginaDivisao();
    void AbrePaginaGrupo();
    void AbrePaginaClasse();
    void AbrePaginaSubClasse();
    void AbrePaginaPesquisa();

    // Back and forward through the pages visited in this run (app/uFrmMainHistory.cpp).
    void goBack();
    void goForward();

    // Another database opened from inside the program (app/uFrmMainDatabase.cpp): the file
    // dialog, and a file, which replaces the open one only if it opens.
    void openDatabaseDialog();
    void openDatabase(const QString &file);

    // Hierarchy browser
    void CarregaEstrutura();
    void CarregaSecaoEstrutura();
    void CarregaDivisoesSecao();
    void CarregaGruposDivisao();
    void PreencheTbsSecao();
    void PreencheTbsDivisao();
    void PreencheTbsGrupo();
    void PreencheTbsClasse();
    void PreencheTbsSubClasse();
    void DBGEstruturaCellClick();
    void DbgSecaoCellClick();
    void DbgDivisaoCellClick();
    void DbgGrupoCellClick();
    void DbgClasseCellClick();
    void LblCodSecao_TbsDivisaoClick();
    void LblCodDivisao_TbsGrupoClick();
    void LblCodGrupo_TbsClasseClick();
    void LblCodClasse_TbsSubClasseClick();
    void LblListarAtividades_TbsClasseClick();
    void LblListarAtividades_TbsSubClasseClick();

    // Keyword search
    void BtnPesquisaClick();
    void EdtPesquisaKeyPress(int key);
    void ExecutaPesquisa();
    QString RetiraPalavrasLigacao(const QString &texto);
    void DbgPesquisaCellClick();

    // Notes and help windows
    void LblNotasExplicativas_TbsSecaoClick(QObject *Sender);
    // A code cited in a note (browse/uFrmMainNoteLinks.cpp): its item's section, division and
    // group codes in the open edition, none when the edition lacks it; and the jump to its page.
    QStringList citedItemAncestors(const CitedCode &code);
    void openCitedCode(const CitedCode &code);
    // Opens the item's level page, every list standing on its ancestors (a click in each would).
    void openLevelItem(const LevelItem &item);
    // The line "Nas outras edições:" of the level pages (browse/uFrmMainOtherEditions.cpp).
    void attachOtherEditions();
    void showOtherEditions(QLabel *line, const Query &detail, int level);
    void fillOtherEditions(QLabel *line, const Query &detail, int level);
    void openInEdition(const QString &codClassificacao, const LevelItem &item);
    void AbreJanelaAjuda(int Pagina);

    // Results to take away (takeaway/): the list of the page on show saved as a spreadsheet
    // (.xlsx) or CSV file, printed, copied; why a result matched, recent searches.
    void exportResults();
    void exportLevelList();
    // The list of the page on show (the structure's sections, a level page's children, a
    // subclass's activities, the results) to a file the user chooses; Ctrl+S.
    void exportPageList();
    // The edition on show as one workbook: every level and the activities.
    void exportEdition();
    void printLevelPage();
    void printResults();
    // The page on show printed: a level page with its notes, or the page's list; Ctrl+P.
    void printPage();
    // The selected rows of the page's list, or a subclass's activities, to the clipboard as
    // "code⇥description" lines; Ctrl+C.
    void copyPageList();
    // Why the given row of the results answers the search on show, as a tooltip's rich text.
    QString matchExplanation(int row);
    void showMatchExplanation();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Binds widgets to the data module and every signal to its handler (app/uFrmMainBindings.cpp).
    void bindWidgets();
    // Enter on buttons, the focus on entering a page, the keys up and home (app/uFrmMainKeyboard.cpp).
    void bindKeyboard();
    // Extra room goes to the pages' lists and texts (app/uFrmMainLayout.cpp).
    void growWithWindow();
    void makeValuesSelectable();
    // Ctrl+plus, Ctrl+minus and Ctrl+0, and the window at the texts' size (app/uFrmMainZoom.cpp).
    void attachTextZoom();
    // Runs one handler; an error stops it there and shows the top-level error dialog.
    void guard(const std::function<void()> &handler);
    // Where the window stood when it closed, for the next run (app/uFrmMainPlacement.cpp).
    void rememberPlace();
    void requireEdition() const;
    // CopiaCodigosPesquisa for a level page entered from the results; on failure, back to them.
    void jumpFromResults();
    // Adds the links, shortcuts, result tooltips and search completions of takeaway/.
    void attachTakeaway();
    // The tooltips and Ctrl+I that explain why a result matched (search/uFrmMainMatchTooltip.cpp).
    void attachMatchTooltips();
    // What the page on show takes away; false on a page without a list.
    bool pageList(PageList &list);
    void saveList(const PageList &list);
    // The grid of the page on show; nullptr on the home and subclass pages.
    DataGrid *pageGrid() const;
    void saveAsCsv(const QString &suggestedName, const QByteArray &bytes);
    // Names, roles and colours for screen readers and dark palettes (app/uFrmMainAccessibility.cpp).
    void describeForScreenReaders();

    // Page history (app/uFrmMainHistory.cpp): the links beside the header's, the page left noted
    // before a move, the page reached noted after it, a visit shown again.
    void makeHistoryLinks();
    void updateHistoryLinks();
    void noteLeaving();
    void noteArrival(const PageVisit &left);
    PageVisit pageOnShow() const;
    void showVisit(const PageVisit &visit);
    void travel(const PageVisit *visit);

    // The database in use (app/uFrmMainDatabase.cpp).
    QString connectionStringFor(const QString &databaseFile) const;
    void makeDatabaseLinks();
    void showDatabaseName();
    void offerOtherDatabaseAfterFailure();
    // Keyword completion and corrected searches when nothing is found (search/uFrmMainSearchHelp.cpp).
    void attachSearchHelp();
    std::shared_ptr<const SearchVocabulary> editionVocabulary();
    void offerCorrections();

    TDtmMain &DtmMain;
    QString m_baseDirectory;
    QString m_databaseFile;
    std::unique_ptr<Ui::TFrmMain> ui;
    bool m_shown = false;
    QSize m_designedSize;
    std::unique_ptr<SearchKeywords> m_searchKeywords;
    QString m_searchWords; // the word list of the search on show, which its results explain
    RecentSearches *m_recentSearches = nullptr;
    PageHistory m_history;
    bool m_travelling = false; // showing a visit again: no new one is noted
    LinkLabel *m_backLink = nullptr;
    LinkLabel *m_forwardLink = nullptr;
    QString m_startFailure; // why the start could not open its database, shown once the window stands
    LinkLabel *m_recentLink = nullptr;
    VocabularyLoader *m_vocabularies = nullptr;
    WordCompletion *m_wordCompletion = nullptr;
    SearchOffersPanel *m_searchOffers = nullptr;
    bool m_offersWaiting = false; // an empty result on show waits for the vocabulary
    bool m_offersQueued = false;
};
