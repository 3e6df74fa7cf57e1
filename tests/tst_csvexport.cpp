#include "takeaway/CsvExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void bytesOfATable();
    void codesWithSeparatorsStayOneField();
    void keywordListReadsAsWords();
    void savesWholeFile();
    void failedWriteLeavesNothing_data();
    void failedWriteLeavesNothing();
};

void TestCsvExport::bytesOfATable()
{
    CsvTable table;
    table.header = {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Palavras-chave"),
                    QStringLiteral("Edição")};
    table.codeColumns = {0};
    table.rows = {
        {QStringLiteral("01"), QStringLiteral("Lavoura"), QStringLiteral("trigo, milho"),
         QStringLiteral("ZELT 2.0")},
        {QStringLiteral("0111-3/01"), QStringLiteral("Cobre; \"batido\"\nà mão"), QString(),
         QStringLiteral("ZELT 2.1 - Subclasses")},
        {QString(), QStringLiteral("  espaços mantidos "), QStringLiteral("a"), QStringLiteral("E")},
        {QStringLiteral("9"), QStringLiteral("-lixo; \"reciclado\""), QStringLiteral("=1+1"),
         QStringLiteral("@x")},
    };
    const QByteArray expected =
        QByteArray("\xEF\xBB\xBF") +
        QStringLiteral("\"Código\";\"Descrição\";\"Palavras-chave\";\"Edição\"\r\n"
                       "\"01\";\"Lavoura\";\"trigo, milho\";\"ZELT 2.0\"\r\n"
                       "\"0111-3/01\";\"Cobre; \"\"batido\"\"\nà mão\";\"\";\"ZELT 2.1 - Subclasses\"\r\n"
                       "\"\";\"  espaços mantidos \";\"a\";\"E\"\r\n"
                       "\"9\";\"\t-lixo; \"\"reciclado\"\"\";\"\t=1+1\";\"\t@x\"\r\n")
            .toUtf8();
    QCOMPARE(csvBytes(table), expected);
}

void TestCsvExport::codesWithSeparatorsStayOneField()
{
    CsvTable table{{QStringLiteral("c")}, {{QStringLiteral("1;2")}, {QStringLiteral("a\"b")}}, {0}};
    QCOMPARE(csvBytes(table), QByteArray("\xEF\xBB\xBF"
                                         "\"c\"\r\n"
                                         "\"1;2\"\r\n"
                                         "\"a\"\"b\"\r\n"));
}

void TestCsvExport::keywordListReadsAsWords()
{
    QCOMPARE(keywordListText(QStringLiteral("|venda|carros|usados|")),
             QStringLiteral("venda, carros, usados"));
    QCOMPARE(keywordListText(QStringLiteral("||")), QString());
    QCOMPARE(keywordListText(QString()), QString());
}

void TestCsvExport::savesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lista.csv"));
    QCOMPARE(saveFileAtomically(path, "primeira"), QString());
    QCOMPARE(saveFileAtomically(path, "segunda, maior"), QString());
    QCOMPARE(readAll(path), QByteArray("segunda, maior"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("lista.csv")});
}

void TestCsvExport::failedWriteLeavesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << QStringLiteral("nao-existe/lista.csv")
                                    << QStringLiteral("a pasta não existe");
    QTest::newRow("name of a folder")
        << QStringLiteral("pasta") << QStringLiteral("já existe uma pasta com esse nome");
}

void TestCsvExport::failedWriteLeavesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pasta")));
    const QString path = dir.filePath(name);

    const QString message = saveFileAtomically(path, "conteúdo");
    QCOMPARE(message, QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.").arg(path, reason));
    QVERIFY(!QFileInfo(path).isFile());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("pasta")});
    QVERIFY(QDir(dir.filePath(QStringLiteral("pasta"))).isEmpty());
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
