#include "support/TinyClassification.h"

#include <QHash>

namespace tiny
{

namespace
{

const QHash<QString, QString> &descriptions()
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("A"), QStringLiteral("Agricultura lunar")},
        {QStringLiteral("B"), QStringLiteral("Bens movidos a vento")},
        {QStringLiteral("01"), QStringLiteral("Cultivo de cogumelos lunares")},
        {QStringLiteral("05"), QStringLiteral("Pipas e papagaios de papel")},
        {QStringLiteral("06"),
         QStringLiteral(
             "Cata-ventos, moinhos de brinquedo e outros objetos que giram ao vento, inclusive os "
             "de uso decorativo em jardins, varandas e telhados de casas, escolas e galpões rurais")},
        {QStringLiteral("011"), QStringLiteral("Cogumelos de cratera")},
        {QStringLiteral("051"), QStringLiteral("Pipas de papel de seda")},
        {QStringLiteral("061"), QStringLiteral("Cata-ventos de jardim")},
        {QStringLiteral("062"), QStringLiteral("Cata-ventos de telhado")},
        {QStringLiteral("01111"), QStringLiteral("Cogumelo azul de cratera")},
        {QStringLiteral("05101"), QStringLiteral("Pipa quadrada")},
        {QStringLiteral("06101"), QStringLiteral("Cata-vento de plástico")},
        {QStringLiteral("06201"), QStringLiteral("Cata-vento de lata")},
        {QStringLiteral("06202"), QStringLiteral("Cata-vento de cobre")},
        {QStringLiteral("01111/01"), QStringLiteral("Cogumelo azul miúdo")},
        {QStringLiteral("05101/01"), QStringLiteral("Pipa quadrada de rabiola")},
        {QStringLiteral("06101/01"), QStringLiteral("Cata-vento de plástico reciclado")},
        {QStringLiteral("06202/01"), QStringLiteral("Cata-vento de cobre polido")},
        {QStringLiteral("06202/02"), QStringLiteral("Cata-vento de cobre envelhecido")},
    };
    return texts;
}

// A text literal, or NULL for a null string.
QString lit(const QString &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    QString doubled = value;
    return QLatin1Char('\'') + doubled.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QString notes(const QString &code, bool withNotes)
{
    QStringList values;
    for (const char *kind : {"CCOMPRE", "TCOMPRE", "NCOMPRE", "NOTAS"})
        values.append(withNotes ? lit(notesOf(QLatin1String(kind), code)) : QStringLiteral("NULL"));
    return values.join(QStringLiteral(", "));
}

QString noteColumns(const QString &suffix)
{
    return QStringLiteral("CCOMPRE_%1 MEMO, TCOMPRE_%1 MEMO, NCOMPRE_%1 MEMO, NOTAS_%1 MEMO").arg(suffix);
}

// Creates the tables of one edition; `levels` names those to create, top down.
QStringList tables(const QString &p, int levels = 6)
{
    const QStringList all = {
        QStringLiteral("CREATE TABLE %1_SECAO (CODIGO_SEC VARCHAR(1), DESCRICAO_SEC VARCHAR(255), "
                       "CODIGO_DIV1 VARCHAR(2), CODIGO_DIV2 VARCHAR(2), NTEXP_SEC MEMO, %2)")
            .arg(p, noteColumns(QStringLiteral("SEC"))),
        QStringLiteral("CREATE TABLE %1_DIVISAO (CODIGO_SEC VARCHAR(1), CODIGO_DIV VARCHAR(2), "
                       "DESCRICAO_DIV VARCHAR(255), %2)")
            .arg(p, noteColumns(QStringLiteral("DIV"))),
        QStringLiteral(
            "CREATE TABLE %1_GRUPO (CODIGO_SEC VARCHAR(1), CODIGO_DIV VARCHAR(2), CODIGO_GRP VARCHAR(3), "
            "DESCRICAO_GRP VARCHAR(255), %2)")
            .arg(p, noteColumns(QStringLiteral("GRP"))),
        QStringLiteral(
            "CREATE TABLE %1_CLASSE (CODIGO_SEC VARCHAR(1), CODIGO_DIV VARCHAR(2), CODIGO_GRP VARCHAR(3), "
            "CODIGO_CLA VARCHAR(5), DESCRICAO_CLA VARCHAR(255), %2)")
            .arg(p, noteColumns(QStringLiteral("CLA"))),
        QStringLiteral(
            "CREATE TABLE %1_SUBCLASSE (CODIGO_SEC VARCHAR(1), CODIGO_DIV VARCHAR(2), "
            "CODIGO_GRP VARCHAR(3), CODIGO_CLA VARCHAR(5), CODIGO_SUB VARCHAR(2), DV_SUB VARCHAR(1), "
            "DESCRICAO_SUB VARCHAR(255), %2)")
            .arg(p, noteColumns(QStringLiteral("SUB"))),
        QStringLiteral(
            "CREATE TABLE %1_ATIVIDADE (Codigo_Sec VARCHAR(1), Codigo_Div VARCHAR(2), "
            "Codigo_Grp VARCHAR(3), Codigo_Cla VARCHAR(5), Codigo_Sub VARCHAR(2), Codigo_Cla_Seq INTEGER, "
            "Descricao_Cla MEMO, Palavra_Chave MEMO)")
            .arg(p),
    };
    return all.mid(0, levels);
}

struct Rows {
    QString p;
    QStringList statements;

    void section(const QString &sec, const QString &desc, const QString &div1, const QString &div2)
    {
        statements.append(QStringLiteral("INSERT INTO %1_SECAO VALUES (%2, %3, %4, %5, %6, %7)")
                              .arg(p, lit(sec), lit(desc), lit(div1), lit(div2),
                                   lit(notesOf(QStringLiteral("NTEXP"), sec)), notes(sec, true)));
    }
    void division(const QString &sec, const QString &div, const QString &desc, bool withNotes = true)
    {
        statements.append(QStringLiteral("INSERT INTO %1_DIVISAO VALUES (%2, %3, %4, %5)")
                              .arg(p, lit(sec), lit(div), lit(desc), notes(div, withNotes)));
    }
    void group(const QString &sec, const QString &div, const QString &grp, const QString &desc)
    {
        statements.append(QStringLiteral("INSERT INTO %1_GRUPO VALUES (%2, %3, %4, %5, %6)")
                              .arg(p, lit(sec), lit(div), lit(grp), lit(desc), notes(grp, true)));
    }
    void klass(const QString &grp, const QString &cla, const QString &desc)
    {
        statements.append(QStringLiteral("INSERT INTO %1_CLASSE VALUES (%2, %3, %4, %5, %6, %7)")
                              .arg(p, lit(sectionOf(grp)), lit(grp.left(2)), lit(grp), lit(cla), lit(desc),
                                   notes(cla, true)));
    }
    void subclass(const QString &cla, const QString &sub, const QString &desc)
    {
        statements.append(QStringLiteral("INSERT INTO %1_SUBCLASSE VALUES (%2, %3, %4, %5, %6, '0', %7, %8)")
                              .arg(p, lit(sectionOf(cla)), lit(cla.left(2)), lit(cla.left(3)), lit(cla),
                                   lit(sub), lit(desc), notes(cla + QLatin1Char('/') + sub, true)));
    }
    void activity(const QString &cla, const QString &sub, const QString &desc, const QString &keywords)
    {
        statements.append(QStringLiteral("INSERT INTO %1_ATIVIDADE VALUES (%2, %3, %4, %5, %6, 1, %7, %8)")
                              .arg(p, lit(sectionOf(cla)), lit(cla.left(2)), lit(cla.left(3)), lit(cla),
                                   lit(sub), lit(desc), lit(keywords)));
    }
    // Division codes 01-04 belong to section A, 05-06 to B, 07-09 to S.
    static QString sectionOf(const QString &code)
    {
        const int div = code.left(2).toInt();
        return div <= 4 ? QStringLiteral("A") : div <= 6 ? QStringLiteral("B") : QStringLiteral("S");
    }
};

QStringList cleanTree()
{
    Rows rows{QStringLiteral("TST_1"), tables(QStringLiteral("TST_1"))};
    const auto d = [](const char *code) { return description(QLatin1String(code)); };
    rows.section(QStringLiteral("A"), d("A"), QStringLiteral("01"), QStringLiteral("01"));
    rows.section(QStringLiteral("B"), d("B"), QStringLiteral("05"), QStringLiteral("06"));
    rows.division(QStringLiteral("A"), QStringLiteral("01"), d("01"));
    rows.division(QStringLiteral("B"), QStringLiteral("05"), d("05"));
    rows.division(QStringLiteral("B"), QStringLiteral("06"), d("06"), false);
    for (const char *grp : {"011", "051", "061", "062"}) {
        const QString code = QLatin1String(grp);
        rows.group(Rows::sectionOf(code), code.left(2), code, d(grp));
    }
    for (const char *cla : {"01111", "05101", "06101", "06201", "06202"})
        rows.klass(QLatin1String(cla).left(3), QLatin1String(cla), d(cla));
    for (const char *sub : {"01111/01", "05101/01", "06101/01", "06202/01", "06202/02"}) {
        const QString code = QLatin1String(sub);
        rows.subclass(code.left(5), code.mid(6), d(sub));
    }
    rows.activity(QStringLiteral("01111"), QStringLiteral("01"), QStringLiteral("Colheita de cogumelo azul"),
                  QStringLiteral("|colheita|cogumelo|"));
    rows.activity(QStringLiteral("06202"), QStringLiteral("02"),
                  QStringLiteral("Envelhecimento de cata-vento de cobre"),
                  QStringLiteral("|envelhecimento|cobre|"));
    rows.activity(QStringLiteral("06202"), QStringLiteral("88"), QStringLiteral("Cobre de reserva"),
                  QStringLiteral("|cobre|"));
    return rows.statements;
}

QStringList defectiveTree()
{
    Rows rows{QStringLiteral("TST_2"), tables(QStringLiteral("TST_2"))};
    rows.section(QStringLiteral("A"), QStringLiteral("Seção sem divisões"), QStringLiteral("00"),
                 QStringLiteral("00"));
    rows.section(QStringLiteral("S"), QStringLiteral("Seção com defeitos"), QStringLiteral("07"),
                 QStringLiteral("08"));
    rows.division(QStringLiteral("S"), QStringLiteral("07"), QStringLiteral("Divisão sem grupos"));
    rows.division(QStringLiteral("S"), QStringLiteral("08"), QStringLiteral("Divisão com defeitos"));
    rows.group(QStringLiteral("S"), QStringLiteral("08"), QStringLiteral("081"),
               QStringLiteral("Grupo sem classes"));
    rows.group(QStringLiteral("S"), QStringLiteral("08"), QStringLiteral("082"),
               QStringLiteral("Grupo com defeitos"));
    rows.klass(QStringLiteral("082"), QStringLiteral("08201"), QString());
    rows.klass(QStringLiteral("082"), QStringLiteral("08202"), QStringLiteral("Classe com defeitos"));
    rows.subclass(QStringLiteral("08202"), QString(), QStringLiteral("Subclasse sem código"));
    rows.activity(QStringLiteral("08202"), QStringLiteral("77"),
                  QStringLiteral("Atividade de subclasse inexistente"), QStringLiteral("|inexistente|"));
    rows.activity(QStringLiteral("08299"), QStringLiteral("01"),
                  QStringLiteral("Atividade de classe inexistente"), QStringLiteral("|inexistente|"));
    return rows.statements;
}

} // namespace

QString notesOf(const QString &kind, const QString &code)
{
    return kind + QLatin1Char(' ') + code;
}

QString description(const QString &code)
{
    return descriptions().value(code);
}

QStringList database()
{
    QStringList statements = {
        QStringLiteral("CREATE TABLE ZELT_Classificacao (Cod_Classificacao INTEGER, Descricao VARCHAR(50), "
                       "Tabela VARCHAR(20), Status INTEGER, Descricao_Pagina VARCHAR(100), Data_Atualizacao "
                       "DATETIME)"),
        QStringLiteral("CREATE TABLE ZELT_PALAVRA_NAO (Palavra_Pan VARCHAR(30))"),
        QStringLiteral("INSERT INTO ZELT_PALAVRA_NAO VALUES ('de')"),
        QStringLiteral("CREATE TABLE ZELT_Sinonimo (PALAVRA_SIN VARCHAR(30), SINONIMO_SIN VARCHAR(30))"),
    };
    const struct {
        int cod;
        const char *descricao;
        const char *tabela;
    } editions[] = {{1, "Alfa Teste", "TST_1"},       {2, "Beta Defeituosa", "TST_2"},
                    {3, "Delta Vazia", "TST_3"},      {4, "Gama Incompleta", "TST_4"},
                    {5, "Omega Subclasses", "TST_1"}, {6, "Zeta Inexistente", "TST_9"}};
    for (const auto &e : editions) {
        statements.append(QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (%1, '%2', '%3', 0, "
                                         "'Página da edição %2', '2024-02-01')")
                              .arg(e.cod)
                              .arg(QString::fromUtf8(e.descricao), QLatin1String(e.tabela)));
    }
    statements += cleanTree();
    statements += defectiveTree();
    statements += tables(QStringLiteral("TST_3"));
    statements += tables(QStringLiteral("TST_4"), 2);
    statements.append(QStringLiteral("INSERT INTO TST_4_SECAO VALUES ('A', 'Seção incompleta', '01', '01', "
                                     "NULL, NULL, NULL, NULL, NULL)"));
    statements.append(
        QStringLiteral("INSERT INTO TST_4_DIVISAO VALUES ('A', '01', 'Divisão sem tabela de grupos', "
                       "NULL, NULL, NULL, NULL)"));
    return statements;
}

} // namespace tiny
