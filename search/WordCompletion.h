#pragma once

#include "search/SearchVocabulary.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QLineEdit;
class QStandardItemModel;
class RecentSearches;

// One line of the search box's completion list: what it shows, the box's text once chosen and
// where the cursor then stands.
struct CompletionOffer {
    QString shown;
    QString text;
    int cursor = 0;
};

// The keywords that complete the word under the cursor (the blank-separated run around it, of at
// least two letters before the cursor; an operator + or - in front is kept, words with a star or
// digits get none), most activities first, each with its count; choosing one replaces that word only.
QVector<CompletionOffer> wordOffers(const SearchVocabulary &vocabulary, const QString &text, int cursor,
                                    int limit);

// Widens the recent searches' list under the search box: the recent searches holding what is
// typed, then the keywords of the edition's vocabulary that complete the word being typed.
class WordCompletion : public QObject
{
    Q_OBJECT
public:
    static constexpr int WordLimit = 8;
    using VocabularySource = std::function<std::shared_ptr<const SearchVocabulary>()>;

    WordCompletion(QLineEdit *box, RecentSearches *recent, VocabularySource vocabulary);

    // Offers again for the box as it is, and shows the list when it has lines and the box has focus
    // (the vocabulary has just arrived).
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill(bool allRecentWhenEmpty);

    QLineEdit *m_box;
    RecentSearches *m_recent;
    VocabularySource m_vocabulary;
    QStandardItemModel *m_model;
    bool m_lineChosen = false; // the person moved through the list since it was last filled
};
