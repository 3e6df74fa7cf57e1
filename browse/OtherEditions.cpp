#include "browse/OtherEditions.h"

#include "browse/HierarchyStatements.h"
#include "data/DataError.h"

namespace
{

struct LevelTable {
    const char *table;
    const char *description;
};

const LevelTable kLevels[] = {{"_Secao", "Descricao_Sec"},
                              {"_Divisao", "Descricao_Div"},
                              {"_Grupo", "Descricao_Grp"},
                              {"_Classe", "Descricao_Cla"},
                              {"_SubClasse", "Descricao_Sub"}};

const char *const kCodeColumns[] = {"Codigo_Sec", "Codigo_Div", "Codigo_Grp", "Codigo_Cla", "Codigo_Sub"};

} // namespace

QString sameItemStatement(const QString &prefixoTabela, const LevelItem &item)
{
    if (item.level < 1 || item.level > 5 || item.codes.size() < item.level)
        throw DataError(QStringLiteral("Item de nível inválido."));
    const LevelTable &level = kLevels[item.level - 1];
    // The item is its own code; a subclass is its class's code and its own two digits.
    const int first = item.level == 5 ? 3 : item.level - 1;
    QString condition;
    for (int i = first; i < item.level; ++i) {
        if (!condition.isEmpty())
            condition += QLatin1String(" AND ");
        condition += QLatin1String(kCodeColumns[i]) + QLatin1String(" = ") + quoted(item.codes[i]);
    }
    return QLatin1String("SELECT ") + QLatin1String(level.description) + QLatin1String(" FROM ") +
           checkedTablePrefix(prefixoTabela) + QLatin1String(level.table) + QLatin1String(" WHERE ") +
           condition;
}

QString otherEditionsLine(const QVector<OtherEditionItem> &editions)
{
    if (editions.isEmpty())
        return {};
    QStringList parts;
    for (const OtherEditionItem &other : editions) {
        const QString name = other.edition.toHtmlEscaped();
        switch (other.state) {
        case OtherEditionItem::Same:
            parts.append(
                QStringLiteral("<a href=\"edicao:%1\">%2</a>: igual").arg(other.codClassificacao, name));
            break;
        case OtherEditionItem::Different:
            parts.append(QStringLiteral("<a href=\"edicao:%1\">%2</a>: descrição diferente: “%3”")
                             .arg(other.codClassificacao, name, other.descricao.toHtmlEscaped()));
            break;
        case OtherEditionItem::Missing:
            parts.append(QStringLiteral("%1: ausente").arg(name));
            break;
        case OtherEditionItem::Unreadable:
            parts.append(QStringLiteral("%1: não foi possível ler").arg(name));
            break;
        }
    }
    return QStringLiteral("Nas outras edições: ") + parts.join(QLatin1String("; ")) + QLatin1Char('.');
}
