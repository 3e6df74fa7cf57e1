#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>

// An item of a level page by its codes as stored: level 1 Seção to 5 Subclasse; codes[i] is the
// code of level i + 1 (for a subclass, codes[3] its class and codes[4] its two digits).
struct LevelItem {
    int level = 0;
    QStringList codes;
};
Q_DECLARE_METATYPE(LevelItem)

// The statement that reads the item with the same code at the same level in the edition whose
// tables carry the prefix: its code columns and its description. Throws DataError on a bad prefix.
QString sameItemStatement(const QString &prefixoTabela, const LevelItem &item);

// How another edition holds the item.
struct OtherEditionItem {
    QString codClassificacao;
    QString edition; // the edition's description, as the edition list shows it
    enum State { Same, Different, Missing, Unreadable } state = Missing;
    QString descricao; // the other edition's description of the item, when Different
};

// The line "Nas outras edições: ..." as rich text; editions holding the item are links whose
// target is the edition's key ("edicao:<Cod_Classificacao>"). Empty when there is no other edition.
QString otherEditionsLine(const QVector<OtherEditionItem> &editions);
