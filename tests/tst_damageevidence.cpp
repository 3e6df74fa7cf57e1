#include "TestPaths.h"
#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/MdbReader.h"

#include <QtTest>

#include <functional>

// Damage that an Access file shows in its own structure is refused with the file, the table and
// the reason, instead of being read as changed rows: row offsets and row counts that leave their
// page, a column type no Jet version defines, two columns with one number, a UCS-2 text of odd
// length, a text longer than its column, a long value pointing past its page's rows. Each kind is
// planted in a copy of the sample and of a file Access wrote (both Jet 4).
class TestDamageEvidence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void emptyIndexedTablesReadEmpty();
    void damageIsRefused_data();
    void damageIsRefused();

private:
    QTemporaryDir m_dir;
};

namespace
{

constexpr int kPageSize = 4096;

int u16(const QByteArray &b, int at)
{
    return quint8(b[at]) | quint8(b[at + 1]) << 8;
}

quint32 u32(const QByteArray &b, int at)
{
    return quint32(u16(b, at)) | quint32(u16(b, at + 2)) << 16;
}

void put16(QByteArray &b, int at, int value)
{
    b[at] = char(value & 0xFF);
    b[at + 1] = char((value >> 8) & 0xFF);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Jet 4 table as its pages hold it: the definition page (one page, as for every table here) and
// the data pages it owns.
struct JetTable {
    const QByteArray &file;
    int definition = -1;

    int at(int page) const { return page * kPageSize; }
    int realIndexes() const { return int(u32(file, at(definition) + 0x33)); }
    int columns() const { return u16(file, at(definition) + 0x2D); }
    int firstEntry() const { return at(definition) + 63 + 12 * realIndexes(); }

    // The byte offset in the file of the named column's 25-byte entry.
    int columnEntry(const QString &name) const
    {
        int pos = firstEntry() + 25 * columns();
        for (int c = 0; c < columns(); ++c) {
            const int length = u16(file, pos);
            const QString found = QString::fromUtf16(
                reinterpret_cast<const char16_t *>(file.constData() + pos + 2), length / 2);
            if (found == name)
                return firstEntry() + 25 * c;
            pos += 2 + length;
        }
        return -1;
    }

    QList<int> dataPages() const
    {
        QList<int> pages;
        for (int page = 1; page < file.size() / kPageSize; ++page)
            if (file.at(at(page)) == 1 && u32(file, at(page) + 4) == quint32(definition))
                pages.append(page);
        return pages;
    }

    // The file offset and length of each value of the variable column numbered varIndex, row by row.
    QList<QPair<int, int>> values(int varIndex) const
    {
        QList<QPair<int, int>> found;
        for (int page : dataPages()) {
            const int rows = u16(file, at(page) + 12);
            int end = kPageSize;
            for (int r = 0; r < rows; ++r) {
                const int start = u16(file, at(page) + 14 + 2 * r) & 0x1FFF;
                const int row = at(page) + start;
                const int rowEnd = at(page) + end;
                end = start;
                const int mask = (u16(file, row) + 7) / 8;
                const int varCount = u16(file, rowEnd - mask - 2);
                if (varIndex >= varCount)
                    continue;
                const int from = u16(file, rowEnd - mask - 2 - 2 * (varIndex + 1));
                const int to = u16(file, rowEnd - mask - 2 - 2 * (varIndex + 2));
                found.append({row + from, to - from});
            }
        }
        return found;
    }
};

// The definition page whose column names include column (stored as UTF-16LE).
int definitionWith(const QByteArray &file, const QString &column)
{
    const QByteArray name(reinterpret_cast<const char *>(column.utf16()), 2 * column.size());
    for (int page = 3; page < file.size() / kPageSize; ++page)
        if (file.at(page * kPageSize) == 2 && file.mid(page * kPageSize, kPageSize).contains(name))
            return page;
    return -1;
}

struct Source {
    const char *name;
    QString path;
    const char *table;
    const char *textColumn; // a Text column whose values are longer than one character
    QString longValuePath;  // a file whose long values lie on long-value pages, and its table
    const char *longValueTable;
};

QList<Source> sources()
{
    // The fixture's memos are short enough to stay in their rows: its long values are the OLE
    // objects of another file Access wrote.
    return {{"sample", QStringLiteral(ZELT_SAMPLE_DB), "ZELT_Sinonimo", "SINONIMO_SIN",
             QStringLiteral(ZELT_SAMPLE_DB), "ZELT_200_Secao"},
            {"fixture", QStringLiteral(ZELT_FIXTURES_DIR "/DateTestDatabase.mdb"), "DateTest", "ShortTextCol",
             QStringLiteral(ZELT_FIXTURES_DIR "/test2V2003.mdb"), "MSP_PROJECTS"}};
}

// Damages a copy; false when the file does not hold what the damage needs.
using Damage = std::function<bool(QByteArray &file, JetTable &table, const QString &textColumn)>;

bool rowCountIntoFreeSpace(QByteArray &file, JetTable &table, const QString &)
{
    const int page = table.dataPages().value(0, -1);
    if (page < 0)
        return false;
    put16(file, table.at(page) + 12, u16(file, table.at(page) + 12) + 3);
    return true;
}

bool rowCountBeyondThePage(QByteArray &file, JetTable &table, const QString &)
{
    const int page = table.dataPages().value(0, -1);
    put16(file, table.at(page) + 12, 3000);
    return page >= 0;
}

bool rowOffsetInsideTheOffsets(QByteArray &file, JetTable &table, const QString &)
{
    const int page = table.dataPages().value(0, -1);
    if (page < 0 || u16(file, table.at(page) + 12) < 2)
        return false;
    // The second row moved to start inside the table of offsets, before the rows' bytes.
    put16(file, table.at(page) + 16, 14 + 2 * u16(file, table.at(page) + 12) - 2);
    return true;
}

bool undefinedType(QByteArray &file, JetTable &table, const QString &column)
{
    const int entry = table.columnEntry(column);
    file[entry] = char(0x33);
    return entry >= 0;
}

bool sharedColumnNumber(QByteArray &file, JetTable &table, const QString &column)
{
    const int entry = table.columnEntry(column);
    if (entry < 0)
        return false;
    const int other = entry == table.firstEntry() ? entry + 25 : table.firstEntry();
    put16(file, entry + 5, u16(file, other + 5));
    return true;
}

bool columnNumberBeyondTheTable(QByteArray &file, JetTable &table, const QString &column)
{
    const int entry = table.columnEntry(column);
    put16(file, entry + 5, 0x0107);
    return entry >= 0;
}

// A compressed text of odd length whose FF FE mark is hit reads as UCS-2 of odd length.
bool oddUcs2Text(QByteArray &file, JetTable &table, const QString &column)
{
    const int entry = table.columnEntry(column);
    if (entry < 0)
        return false;
    for (const auto &[at, length] : table.values(u16(file, entry + 7))) {
        if (length % 2 == 1 && quint8(file.at(at)) == 0xFF && quint8(file.at(at + 1)) == 0xFE) {
            file[at] = 0;
            return true;
        }
    }
    return false;
}

bool textLongerThanItsColumn(QByteArray &file, JetTable &table, const QString &column)
{
    const int entry = table.columnEntry(column);
    put16(file, entry + 23, 2); // one character
    return entry >= 0;
}

// Every long-value page claims no rows, so that each long value points past its page's rows.
bool longValuePagesWithoutRows(QByteArray &file, JetTable &table, const QString &)
{
    bool any = false;
    for (int page = 1; page < file.size() / kPageSize; ++page) {
        if (file.at(table.at(page)) == 1 && file.mid(table.at(page) + 4, 4) == "LVAL") {
            put16(file, table.at(page) + 12, 0);
            any = true;
        }
    }
    return any;
}

// The definition goes on to another table's data page, which is no definition page (and whose
// own next page, its owner's definition, ends the chain without coming back).
bool definitionGoesOnToADataPage(QByteArray &file, JetTable &table, const QString &)
{
    const int pages = file.size() / kPageSize;
    for (int page = 1; page < pages; ++page) {
        const quint32 owner = u32(file, table.at(page) + 4);
        if (file.at(table.at(page)) == 1 && owner != quint32(table.definition) && owner < quint32(pages) &&
            file.at(table.at(int(owner))) == 2 && u32(file, table.at(int(owner)) + 4) == 0) {
            put16(file, table.at(table.definition) + 4, page & 0xFFFF);
            put16(file, table.at(table.definition) + 6, page >> 16);
            return true;
        }
    }
    return false;
}

// The definition's pages go round in a circle: its one page names itself as the next.
bool definitionPagesInACircle(QByteArray &file, JetTable &table, const QString &)
{
    put16(file, table.at(table.definition) + 4, table.definition & 0xFFFF);
    put16(file, table.at(table.definition) + 6, table.definition >> 16);
    return u32(file, table.at(table.definition) + 4) == quint32(table.definition);
}

} // namespace

void TestDamageEvidence::initTestCase()
{
    QVERIFY(m_dir.isValid());
    MdbReader::setNoProgressTimeout(4000);
}

// Empty tables keep their indexes' root pages; those show the definition is the table's own.
void TestDamageEvidence::emptyIndexedTablesReadEmpty()
{
    const QString path = QStringLiteral(ZELT_FIXTURES_DIR "/testV2003.mdb");
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    for (const char *table : {"Table2", "Table3", "Table4"}) {
        const ResultSet result = connection.execute(QStringLiteral("SELECT * FROM ") + table);
        QCOMPARE(result.rows.size(), 0);
        QVERIFY(!result.columns.isEmpty());
    }
    const ResultSet full = connection.execute("SELECT A, B, C, D FROM Table1 ORDER BY A");
    QCOMPARE(full.rows.size(), 2);
    QCOMPARE(full.rows.at(1).at(1).toString(), QStringLiteral("hijklmnop"));
    QCOMPARE(full.rows.at(1).at(3).toInt(), 222);
}

void TestDamageEvidence::damageIsRefused_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<void *>("damage");
    QTest::addColumn<QString>("reason");
    const struct {
        const char *name;
        bool (*damage)(QByteArray &, JetTable &, const QString &);
        const char *reason;
    } kinds[] = {
        {"row count into free space", rowCountIntoFreeSpace, "está fora do seu lugar"},
        {"row count beyond the page", rowCountBeyondThePage, "mais do que cabem nela"},
        {"row offset inside the offset table", rowOffsetInsideTheOffsets, "a linha 1 da página"},
        {"undefined type code", undefinedType, "tipo de dado 51, que não existe"},
        {"two columns with one number", sharedColumnNumber, "têm o mesmo número"},
        {"column number beyond the table", columnNumberBeyondTheTable, "o número 263, além das"},
        {"UCS-2 text of odd length", oddUcs2Text, "número ímpar de bytes"},
        {"text longer than its column", textLongerThanItsColumn, "texto mais longo do que a coluna permite"},
        {"long value past its page's rows", longValuePagesWithoutRows, "o valor longo aponta para a linha"},
        {"definition going on to a data page", definitionGoesOnToADataPage, "cadeia de páginas da definição"},
        {"definition pages in a circle", definitionPagesInACircle, "cadeia de páginas da definição"},
    };
    for (int s = 0; s < sources().size(); ++s)
        for (const auto &kind : kinds)
            QTest::addRow("%s: %s", sources().at(s).name, kind.name)
                << s << reinterpret_cast<void *>(kind.damage) << QString::fromUtf8(kind.reason);
}

void TestDamageEvidence::damageIsRefused()
{
    QFETCH(int, source);
    QFETCH(void *, damage);
    QFETCH(QString, reason);
    const Source from = sources().at(source);
    QByteArray bytes = bytesOf(from.path);
    QVERIFY(!bytes.isEmpty());
    JetTable table{bytes, -1};
    table.definition = definitionWith(bytes, from.textColumn);
    QVERIFY(table.definition > 0);
    const bool longValues = reason.contains(QLatin1String("valor longo"));
    if (longValues)
        bytes = bytesOf(from.longValuePath);
    const auto plant = reinterpret_cast<bool (*)(QByteArray &, JetTable &, const QString &)>(damage);
    QVERIFY2(plant(bytes, table, from.textColumn), "the file holds nothing this damage needs");

    const QString path = m_dir.filePath(QStringLiteral("damaged.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    file.close();
    const QString tableName = QString::fromUtf8(longValues ? from.longValueTable : from.table);
    QString error;
    try {
        Connection connection;
        connection.setConnectionString(testdb::connectionStringFor(path));
        connection.open();
        connection.execute("SELECT * FROM " + tableName);
    } catch (const DataError &e) {
        error = e.message();
    }
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY2(error.contains(tableName), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestDamageEvidence)
#include "tst_damageevidence.moc"
