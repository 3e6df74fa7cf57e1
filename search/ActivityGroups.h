#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <string>
#include <utility>
#include <vector>

// The activities of an edition grouped by what a search reads of them (keyword list, class code,
// subclass code), with how many activities share each group. Counting what a search finds then
// takes one pass over the few thousand distinct keyword lists and codes instead of a statement
// over every activity, with the engine's own LIKE and the engine's reading of the condition.
class ActivityGroups
{
public:
    // A row of "SELECT Palavra_Chave, Codigo_Cla, Codigo_Sub, COUNT(*) ... GROUP BY" those three,
    // values as the engine returns them (an invalid QVariant for NULL).
    struct Row {
        QVariant palavraChave;
        QVariant codigoCla;
        QVariant codigoSub;
        qint64 count = 0;
    };

    ActivityGroups() = default;
    explicit ActivityGroups(const QVector<Row> &rows);

    // How many activities "WHERE 1=1" + condition + filter keeps, the condition as
    // MontaCondicaoPesquisa composes it and the filter as searchOrder gives it. -1 when the groups
    // cannot say it exactly as the engine would (a fragment of another shape, a comparison with
    // a literal that is not digits, values that are not plain text): the engine must count then.
    int count(const QString &condition, const QString &filter) const;

private:
    struct Value {
        bool null = true;
        std::string text; // UTF-8, as the engine compares it
    };
    struct Group {
        int list;
        int code;
        qint64 count;
    };

    std::vector<Value> m_lists;                   // distinct keyword lists
    std::vector<std::pair<Value, Value>> m_codes; // distinct class and subclass codes
    std::vector<Group> m_groups;
    bool m_exact = true; // false when some value cannot be compared here as the engine compares it
};
