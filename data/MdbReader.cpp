#include "data/MdbReader.h"

#include "data/DataError.h"
#include "data/MdbProtocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstring>
#include <string>

namespace
{

int s_noProgressTimeout = 15000;

// Parses the helper's stream as it arrives; keeps the bytes of an incomplete record until the
// rest comes.
class StreamParser
{
public:
    StreamParser(bool tableDump, const MdbReader::ColumnsHandler &onColumns,
                 const MdbReader::RowHandler &onRow, QStringList *tables)
        : m_tableDump(tableDump), m_onColumns(onColumns), m_onRow(onRow), m_tables(tables)
    {
    }

    const QStringList &notes() const { return m_notes; }
    const QString &failure() const { return m_failure; }

    void feed(const QByteArray &chunk)
    {
        m_buffer.append(chunk.constData(), static_cast<size_t>(chunk.size()));
        size_t pos = 0;
        while (pos < m_buffer.size()) {
            const size_t used = record(pos);
            if (used == 0)
                break;
            pos += used;
        }
        m_buffer.erase(0, pos);
    }

    bool finished() const { return m_finished && m_failure.isEmpty() && m_buffer.empty(); }

private:
    [[noreturn]] static void malformed()
    {
        throw DataError(QStringLiteral("o leitor de arquivos Access produziu uma saída malformada"));
    }

    // Bytes of the record at pos, or 0 when it is not complete yet.
    size_t record(size_t pos)
    {
        if (m_finished)
            malformed();
        size_t p = pos;
        if (!m_magicSeen) {
            if (m_buffer.size() - p < sizeof mdbprotocol::kMagic)
                return 0;
            if (std::memcmp(m_buffer.data() + p, mdbprotocol::kMagic, sizeof mdbprotocol::kMagic) != 0)
                malformed();
            m_magicSeen = true;
            return sizeof mdbprotocol::kMagic;
        }
        std::uint8_t tag = 0;
        if (!u8(p, tag))
            return 0;
        switch (tag) {
        case mdbprotocol::TableRecord: {
            std::string_view name;
            if (m_tableDump)
                malformed();
            if (!bytes(p, name))
                return 0;
            m_tables->append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
            ++m_count;
            break;
        }
        case mdbprotocol::ColumnRecord: {
            std::uint8_t kind = 0;
            std::string_view name;
            if (!m_tableDump || m_count > 0)
                malformed();
            if (!u8(p, kind) || !bytes(p, name))
                return 0;
            if (kind < mdbprotocol::IntegerColumn || kind > mdbprotocol::DecimalColumn)
                malformed();
            m_columns.push_back({QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), kind});
            break;
        }
        case mdbprotocol::NoteRecord: {
            std::string_view note;
            if (!bytes(p, note))
                return 0;
            m_notes.append(QString::fromUtf8(note.data(), static_cast<qsizetype>(note.size())));
            break;
        }
        case mdbprotocol::FailureRecord: {
            std::string_view reason;
            if (!bytes(p, reason))
                return 0;
            m_failure = QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size()));
            m_finished = true;
            break;
        }
        case mdbprotocol::RowRecord: {
            if (!m_tableDump || m_columns.empty())
                malformed();
            m_row.resize(m_columns.size());
            for (AccessValue &value : m_row) {
                value = {};
                if (!u8(p, value.tag))
                    return 0;
                switch (value.tag) {
                case mdbprotocol::NullValue:
                    break;
                case mdbprotocol::IntegerValue:
                    if (!i64(p, value.integer))
                        return 0;
                    break;
                case mdbprotocol::RealValue: {
                    qint64 bits = 0;
                    if (!i64(p, bits))
                        return 0;
                    std::memcpy(&value.real, &bits, sizeof bits);
                    break;
                }
                case mdbprotocol::TextValue:
                case mdbprotocol::BlobValue:
                    if (!bytes(p, value.bytes))
                        return 0;
                    break;
                default:
                    malformed();
                }
            }
            if (m_count == 0)
                m_onColumns(m_columns);
            ++m_count;
            m_onRow(m_row);
            break;
        }
        case mdbprotocol::EndRecord: {
            std::uint32_t count = 0;
            if (!u32(p, count))
                return 0;
            if (count != m_count)
                malformed();
            if (m_tableDump && m_count == 0) {
                if (m_columns.empty())
                    malformed();
                m_onColumns(m_columns);
            }
            m_finished = true;
            break;
        }
        default:
            malformed();
        }
        return p - pos;
    }

    bool u8(size_t &p, std::uint8_t &out) const
    {
        if (p + 1 > m_buffer.size())
            return false;
        out = static_cast<std::uint8_t>(m_buffer[p++]);
        return true;
    }
    bool u32(size_t &p, std::uint32_t &out) const
    {
        if (p + 4 > m_buffer.size())
            return false;
        out = 0;
        for (int i = 0; i < 4; ++i)
            out |= std::uint32_t(static_cast<unsigned char>(m_buffer[p + i])) << (8 * i);
        p += 4;
        return true;
    }
    bool i64(size_t &p, qint64 &out) const
    {
        if (p + 8 > m_buffer.size())
            return false;
        quint64 u = 0;
        for (int i = 0; i < 8; ++i)
            u |= quint64(static_cast<unsigned char>(m_buffer[p + i])) << (8 * i);
        out = static_cast<qint64>(u);
        p += 8;
        return true;
    }
    bool bytes(size_t &p, std::string_view &out) const
    {
        std::uint32_t size = 0;
        size_t q = p;
        if (!u32(q, size) || q + size > m_buffer.size())
            return false;
        out = std::string_view(m_buffer.data() + q, size);
        p = q + size;
        return true;
    }

    bool m_tableDump;
    const MdbReader::ColumnsHandler &m_onColumns;
    const MdbReader::RowHandler &m_onRow;
    QStringList *m_tables;
    std::string m_buffer;
    bool m_magicSeen = false;
    bool m_finished = false;
    std::uint32_t m_count = 0;
    std::vector<AccessColumn> m_columns;
    std::vector<AccessValue> m_row;
    QStringList m_notes;
    QString m_failure;
};

// libmdb can repeat a complaint without end while it reads a damaged file; only the last lines
// are kept, as detail behind the reason.
class StderrTail
{
public:
    void append(const QByteArray &chunk)
    {
        m_tail += chunk;
        if (m_tail.size() > kKept)
            m_tail = m_tail.right(kKept);
    }
    // The last few lines, each cut short.
    QString lastLines() const
    {
        QStringList lines = QString::fromUtf8(m_tail).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines = lines.mid(std::max<qsizetype>(0, lines.size() - kLines));
        for (QString &line : lines) {
            line = line.trimmed();
            if (line.size() > kLineLength)
                line = line.left(kLineLength) + QStringLiteral("...");
        }
        return lines.join(QLatin1Char('\n'));
    }

private:
    static constexpr qsizetype kKept = 4096;
    static constexpr qsizetype kLines = 3;
    static constexpr qsizetype kLineLength = 200;
    QByteArray m_tail;
};

QString s_helperPath;

// Runs the helper and feeds its stdout to the parser; every way it can go wrong becomes the
// reason text of a DataError: the reason first, then the last lines libmdb printed.
QString runHelper(const QString &databasePath, const QStringList &arguments, StreamParser &parser)
{
    const QString helper = MdbReader::helperPath();
    if (!QFileInfo(helper).isExecutable())
        return QStringLiteral("o leitor de arquivos Access %1 não existe").arg(helper);

    QProcess process;
    StderrTail errors;
    QObject::connect(&process, &QProcess::readyReadStandardError,
                     [&] { errors.append(process.readAllStandardError()); });
    process.setProgram(helper);
    process.setArguments(QStringList{databasePath} + arguments);
    process.setReadChannel(QProcess::StandardOutput);
    process.start(QIODevice::ReadOnly);
    const auto stop = [&process] {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(-1);
        }
    };
    const auto withDetail = [&errors](const QString &reason) {
        const QString detail = errors.lastLines();
        return detail.isEmpty() ? reason : reason + QLatin1Char('\n') + detail;
    };
    if (!process.waitForStarted(MdbReader::noProgressTimeout())) {
        stop();
        return QStringLiteral("não foi possível iniciar o leitor de arquivos Access %1: %2")
            .arg(helper, process.errorString());
    }

    // No table holds many times more text than the file has bytes; a reader that keeps
    // writing is looping.
    const qint64 limit = std::max<qint64>(qint64(64) << 20, QFileInfo(databasePath).size() * 32);
    qint64 received = 0;
    try {
        while (true) {
            const QByteArray chunk = process.readAllStandardOutput();
            if (!chunk.isEmpty()) {
                received += chunk.size();
                if (received > limit) {
                    stop();
                    return withDetail(
                        QStringLiteral("o leitor de arquivos Access produziu mais dados do que o "
                                       "arquivo pode conter"));
                }
                parser.feed(chunk);
                continue;
            }
            if (process.state() == QProcess::NotRunning)
                break;
            if (!process.waitForReadyRead(MdbReader::noProgressTimeout()) &&
                process.state() != QProcess::NotRunning) {
                stop();
                return withDetail(QStringLiteral("o leitor de arquivos Access ficou %1 s sem progresso e foi "
                                                 "interrompido")
                                      .arg(MdbReader::noProgressTimeout() / 1000.0));
            }
        }
    } catch (...) {
        stop();
        throw;
    }
    errors.append(process.readAllStandardError());
    if (!parser.failure().isEmpty())
        return withDetail(parser.failure());
    if (process.exitStatus() == QProcess::CrashExit)
        return withDetail(QStringLiteral("o leitor de arquivos Access terminou de forma anormal"));
    if (process.exitCode() != 0)
        return withDetail(QStringLiteral("o leitor de arquivos Access falhou (código de saída %1)")
                              .arg(process.exitCode()));
    if (!parser.finished())
        return withDetail(QStringLiteral("o leitor de arquivos Access parou antes do fim"));
    return {};
}

} // namespace

QStringList MdbReader::tables() const
{
    QStringList tables;
    const ColumnsHandler noColumns;
    const RowHandler noRows;
    StreamParser parser(false, noColumns, noRows, &tables);
    QString reason;
    try {
        reason = runHelper(m_path, {QLatin1String(mdbprotocol::kListTablesOption)}, parser);
    } catch (const DataError &error) {
        reason = error.message();
    }
    if (!reason.isEmpty())
        throw DataError(
            QStringLiteral("Não foi possível abrir o banco de dados \"%1\": %2").arg(m_path, reason));
    return tables;
}

QStringList MdbReader::readTable(const QString &table, const ColumnsHandler &onColumns,
                                 const RowHandler &onRow) const
{
    StreamParser parser(true, onColumns, onRow, nullptr);
    QString reason;
    try {
        reason = runHelper(m_path, {QLatin1String(mdbprotocol::kTableOption), table}, parser);
    } catch (const DataError &error) {
        reason = error.message();
    }
    if (!reason.isEmpty())
        throw DataError(QStringLiteral("Não foi possível ler a tabela %1 do banco de dados \"%2\": %3")
                            .arg(table, m_path, reason));
    return parser.notes();
}

QString MdbReader::helperPath()
{
    if (!s_helperPath.isEmpty())
        return s_helperPath;
    const QString dir =
        QCoreApplication::instance()
            ? QCoreApplication::applicationDirPath()
            : QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    return dir + QStringLiteral("/zelt-mdb-reader");
}

int MdbReader::noProgressTimeout()
{
    return s_noProgressTimeout;
}

void MdbReader::setNoProgressTimeout(int milliseconds)
{
    s_noProgressTimeout = milliseconds;
}

void MdbReader::setHelperPath(const QString &path)
{
    s_helperPath = path;
}
