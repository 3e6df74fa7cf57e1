#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class ActivityGroups;

// The keywords of one edition with how many activities hold each, for completing and correcting
// what the user types. Words are compared folded as the search compares them: the typed text loses
// its accents (RemoveAcentos) and letter case is folded as the database folds it (textfold).
class SearchVocabulary
{
public:
    struct Word {
        QString text;   // as the first activity holding it writes it
        QString folded; // searchFold(text)
        int activities = 0;
    };

    // Activities as the vocabulary reads them: a keyword list ("|kw|kw|") with how many activities
    // carry it, or codes as stored (or both).
    struct Activity {
        QString palavraChave;
        QString codigoCla;
        QString codigoSub;
        int count = 1;
    };

    SearchVocabulary() = default;
    SearchVocabulary(const QVector<Activity> &activities, const QStringList &stopWords);

    bool isEmpty() const { return m_words.isEmpty(); }
    int size() const { return int(m_words.size()); }

    // Whether a keyword reads as the word, folded; stop words included.
    bool holds(const QString &word) const;
    bool isStopWord(const QString &word) const;
    // The activities holding the keyword, 0 when none does.
    int activitiesOf(const QString &word) const;

    // Keywords beginning with the typed start (of at least two letters), stop words left out, most
    // activities first, then alphabetically; at most limit of them.
    QVector<Word> beginningWith(const QString &start, int limit) const;
    // Keywords at an edit distance of 1 or 2 from the word (optimal string alignment: a swap of two
    // neighbouring letters counts one; 1 only for words of three or four letters, none for shorter
    // ones), stop words left out; nearest first, then most activities.
    QVector<Word> nearTo(const QString &word, int limit) const;
    // Whether some activity's code starts with the digits (Codigo_Cla), or, for seven digits, is
    // that subclass (Codigo_Cla and Codigo_Sub).
    bool hasCode(const QString &digits) const { return m_codes.contains(digits); }

    // The edition's activities grouped for counting searches; null when they were not read.
    const ActivityGroups *groups() const { return m_groups.get(); }
    void setGroups(std::shared_ptr<const ActivityGroups> groups) { m_groups = std::move(groups); }

private:
    QVector<Word> m_words;       // alphabetical by folded text
    QHash<QString, int> m_index; // folded text -> position in m_words
    QSet<QString> m_stopWords;   // folded
    QSet<QString> m_codes;       // code prefixes and subclass codes, digits only
    std::shared_ptr<const ActivityGroups> m_groups;
};

// The fold the vocabulary compares by: accents removed as the search removes them, then letter
// case folded as the database folds it.
QString searchFold(const QString &text);

// Edit distance with adjacent swaps counting one (optimal string alignment); any distance above
// bound comes back as bound + 1.
int editDistance(const QString &a, const QString &b, int bound);
