#include "search/RecentSearches.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStringListModel>

RecentSearches::RecentSearches(QLineEdit *box)
    : QObject(box), m_box(box), m_model(new QStringListModel(m_history.entries(), this)),
      m_completer(new QCompleter(m_model, this))
{
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setModelSorting(QCompleter::UnsortedModel);
    m_completer->setMaxVisibleItems(SearchHistory::Limit);
    box->setCompleter(m_completer);
    box->installEventFilter(this);
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, &RecentSearches::showMenu);
}

void RecentSearches::remember(const QString &texto)
{
    m_history.remember(texto);
    m_model->setStringList(m_history.entries());
}

void RecentSearches::clear()
{
    m_history.clear();
    m_model->setStringList({});
    emit cleared();
}

bool RecentSearches::eventFilter(QObject *watched, QEvent *event)
{
    // Down in the box opens the whole list, as in a combo box, when nothing is offered yet.
    if (watched == m_box && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down && !m_completer->popup()->isVisible() &&
        m_model->rowCount() > 0) {
        // A text all selected (the last search, kept on going home) is about to be replaced:
        // every recent search is offered.
        const bool replacing = m_box->hasSelectedText() && m_box->selectedText() == m_box->text();
        m_completer->setCompletionPrefix(replacing ? QString() : m_box->text());
        m_completer->complete();
        return true;
    }
    return false;
}

void RecentSearches::showMenu(const QPoint &pos)
{
    std::unique_ptr<QMenu> menu(m_box->createStandardContextMenu());
    menu->addSeparator();
    QAction *clearAction =
        menu->addAction(QStringLiteral("Limpar pesquisas recentes"), this, &RecentSearches::clear);
    clearAction->setObjectName(QStringLiteral("LimparPesquisasRecentes"));
    clearAction->setEnabled(m_model->rowCount() > 0);
    menu->exec(m_box->mapToGlobal(pos));
}
