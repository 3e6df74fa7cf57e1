#include "search/WordCompletion.h"

#include "search/RecentSearches.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTimer>

namespace
{

constexpr int CursorRole = Qt::UserRole + 1;
constexpr int WordRole = Qt::UserRole + 2; // a keyword's line, not a recent search

QString activitiesText(int count)
{
    return count == 1 ? QStringLiteral("1 atividade") : QStringLiteral("%1 atividades").arg(count);
}

void addLine(QStandardItemModel *model, const QString &shown, const QString &text, int cursor, bool word)
{
    auto *item = new QStandardItem(shown);
    item->setData(text, Qt::UserRole);
    item->setData(cursor, CursorRole);
    item->setData(word, WordRole);
    model->appendRow(item);
}

} // namespace

QVector<CompletionOffer> wordOffers(const SearchVocabulary &vocabulary, const QString &text, int cursor,
                                    int limit)
{
    cursor = std::clamp(cursor, 0, int(text.size()));
    const int start = cursor == 0 ? 0 : int(text.lastIndexOf(QLatin1Char(' '), cursor - 1)) + 1;
    int end = int(text.indexOf(QLatin1Char(' '), cursor));
    if (end < 0)
        end = int(text.size());
    QString typed = text.mid(start, cursor - start);
    QString operatorText;
    if (typed.startsWith(QLatin1Char('+')) || typed.startsWith(QLatin1Char('-'))) {
        operatorText = typed.left(1);
        typed.remove(0, 1);
    }
    const QString word = text.mid(start, end - start);
    if (word.contains(QLatin1Char('*')) ||
        std::any_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isDigit(); }))
        return {};

    QVector<CompletionOffer> offers;
    for (const SearchVocabulary::Word &keyword : vocabulary.beginningWith(typed, limit)) {
        const QString completed = operatorText + keyword.text;
        offers.append({QStringLiteral("%1  (%2)").arg(keyword.text, activitiesText(keyword.activities)),
                       text.left(start) + completed + text.mid(end), start + int(completed.size())});
    }
    return offers;
}

WordCompletion::WordCompletion(QLineEdit *box, RecentSearches *recent, VocabularySource vocabulary)
    : QObject(box), m_box(box), m_recent(recent), m_vocabulary(std::move(vocabulary)),
      m_model(new QStandardItemModel(this))
{
    // The list is filled here, recent searches first, so the completer shows it as it is and puts
    // the chosen line's whole text in the box.
    QCompleter *completer = recent->completer();
    completer->setModel(m_model);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer->setCompletionRole(Qt::UserRole);
    box->installEventFilter(this);
    completer->popup()->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this] { fill(false); });
    connect(recent, &RecentSearches::cleared, this, [this, completer] {
        completer->popup()->hide();
        fill(false);
    });
    connect(completer, qOverload<const QModelIndex &>(&QCompleter::activated), this,
            [this](const QModelIndex &index) {
                // The box takes the text after this signal and puts the cursor at its end.
                const int cursor = index.data(CursorRole).toInt();
                QTimer::singleShot(0, m_box, [box = m_box, cursor] { box->setCursorPosition(cursor); });
            });
}

void WordCompletion::refresh()
{
    if (!m_box->hasFocus() || m_box->text().isEmpty())
        return;
    fill(false);
    QCompleter *completer = m_recent->completer();
    if (m_model->rowCount() == 0) {
        completer->popup()->hide();
        return;
    }
    completer->setCompletionPrefix(m_box->text());
    completer->complete();
}

bool WordCompletion::eventFilter(QObject *watched, QEvent *event)
{
    // Only keys matter here; other events also come while the list's owner is being destroyed.
    if (event->type() != QEvent::KeyPress)
        return false;
    // Enter on a keyword completes the word only: the completer would pass the key on to the box,
    // which would run the search. Enter before any line was chosen searches for the text as typed:
    // the completer alone would take the line it marks as likeliest, or only close the list.
    QAbstractItemView *popup = m_recent->completer()->popup();
    if (watched == popup && event->type() == QEvent::KeyPress) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        const int key = keyEvent->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown)
            m_lineChosen = true;
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        const QModelIndex current = popup->currentIndex();
        if (!m_lineChosen || !current.isValid()) {
            popup->hide();
            QKeyEvent again(QEvent::KeyPress, key, keyEvent->modifiers());
            QCoreApplication::sendEvent(m_box, &again);
            return true;
        }
        if (current.data(WordRole).toBool()) {
            popup->hide();
            m_box->setText(current.data(Qt::UserRole).toString());
            m_box->setCursorPosition(current.data(CursorRole).toInt());
            return true;
        }
        return false;
    }
    // Before the recent searches open the list on Down: the lines for the box as it is.
    if (watched == m_box && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down &&
        !m_recent->completer()->popup()->isVisible())
        fill(true);
    return false;
}

void WordCompletion::fill(bool allRecentWhenEmpty)
{
    QString text = m_box->text();
    // A text all selected (the last search, kept on going home) is about to be replaced: Down
    // offers every recent search.
    if (allRecentWhenEmpty && m_box->hasSelectedText() && m_box->selectedText() == text)
        text.clear();
    m_model->clear();
    m_lineChosen = false;
    if (text.isEmpty() && !allRecentWhenEmpty)
        return;
    for (const QString &entry : m_recent->entries()) {
        if (entry.contains(text, Qt::CaseInsensitive))
            addLine(m_model, entry, entry, int(entry.size()), false);
    }
    const std::shared_ptr<const SearchVocabulary> vocabulary = m_vocabulary();
    if (!vocabulary || text.isEmpty())
        return;
    for (const CompletionOffer &offer : wordOffers(*vocabulary, text, m_box->cursorPosition(), WordLimit))
        addLine(m_model, offer.shown, offer.text, offer.cursor, true);
}
