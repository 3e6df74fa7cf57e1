#include "data/MdbReader.h"

#include "data/DataError.h"
#include "data/MdbProtocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
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

    // Room for `size` more bytes after those not parsed yet, to read the stream into.
    char *room(size_t size)
    {
        if (m_buffer.size() < m_filled + size)
            m_buffer.resize(m_filled + size);
        return m_buffer.data() + m_filled;
    }

    // Parses the `size` bytes just put into room().
    void feed(size_t size)
    {
        m_filled += size;
        size_t pos = 0;
        while (pos < m_filled) {
            const size_t used = record(pos);
            if (used == 0)
                break;
            pos += used;
        }
        // What is left is at most one record's beginning.
        std::memmove(m_buffer.data(), m_buffer.data() + pos, m_filled - pos);
        m_filled -= pos;
    }

    bool finished() const { return m_finished && m_failure.isEmpty() && m_filled == 0; }

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
            if (m_filled - p < sizeof mdbprotocol::kMagic)
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
        if (p + 1 > m_filled)
            return false;
        out = static_cast<std::uint8_t>(m_buffer[p++]);
        return true;
    }
    bool u32(size_t &p, std::uint32_t &out) const
    {
        if (p + 4 > m_filled)
            return false;
        out = 0;
        for (int i = 0; i < 4; ++i)
            out |= std::uint32_t(static_cast<unsigned char>(m_buffer[p + i])) << (8 * i);
        p += 4;
        return true;
    }
    bool i64(size_t &p, qint64 &out) const
    {
        if (p + 8 > m_filled)
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
        if (!u32(q, size) || q + size > m_filled)
            return false;
        out = std::string_view(m_buffer.data() + q, size);
        p = q + size;
        return true;
    }

    bool m_tableDump;
    const MdbReader::ColumnsHandler &m_onColumns;
    const MdbReader::RowHandler &m_onRow;
    QStringList *m_tables;
    std::string m_buffer; // its first m_filled bytes have come and are not parsed yet
    size_t m_filled = 0;
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

// A pipe whose write end goes to the child as one of its standard channels; both ends close on
// exec, so no other child inherits them, and the parent closes its copy of the write end once the
// child has started, so that the read end sees the end when the child is gone.
class ChildPipe
{
public:
    ChildPipe() = default;
    ~ChildPipe()
    {
        closeWriteEnd();
        if (m_fds[0] >= 0)
            ::close(m_fds[0]);
    }
    ChildPipe(const ChildPipe &) = delete;
    ChildPipe &operator=(const ChildPipe &) = delete;

    bool open() { return ::pipe2(m_fds, O_CLOEXEC) == 0; }
    int readEnd() const { return m_fds[0]; }
    int writeEnd() const { return m_fds[1]; }
    void closeWriteEnd()
    {
        if (m_fds[1] >= 0)
            ::close(m_fds[1]);
        m_fds[1] = -1;
    }

private:
    int m_fds[2] = {-1, -1};
};

// Runs the helper and feeds its stdout to the parser; every way it can go wrong becomes the
// reason text of a DataError: the reason first, then the last lines libmdb printed.
QString runHelper(const QString &databasePath, const QStringList &arguments, StreamParser &parser)
{
    const QString helper = MdbReader::helperPath();
    if (!QFileInfo(helper).isExecutable())
        return QStringLiteral("o leitor de arquivos Access %1 não existe").arg(helper);

    // The stream and the complaints come through pipes of our own, read straight into the
    // parser's buffer: QProcess's channels would copy every byte once more through a ring buffer.
    ChildPipe stream, complaints;
    if (!stream.open() || !complaints.open())
        return QStringLiteral("não foi possível iniciar o leitor de arquivos Access %1: %2")
            .arg(helper, QString::fromLocal8Bit(std::strerror(errno)));
    QProcess process;
    StderrTail errors;
    process.setProgram(helper);
    process.setArguments(QStringList{databasePath} + arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier([out = stream.writeEnd(), err = complaints.writeEnd()] {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
    });
    process.start(QIODevice::ReadOnly);
    stream.closeWriteEnd();
    complaints.closeWriteEnd();
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
    constexpr size_t kChunk = size_t(1) << 18;
    pollfd watched[2] = {{stream.readEnd(), POLLIN, 0}, {complaints.readEnd(), POLLIN, 0}};
    // Only the stream counts as progress: a reader repeating a complaint is stuck.
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    try {
        while (watched[0].fd >= 0 || watched[1].fd >= 0) {
            const qint64 left = MdbReader::noProgressTimeout() - sinceProgress.elapsed();
            const int ready = left > 0 ? ::poll(watched, 2, static_cast<int>(left)) : 0;
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 && (watched[0].fd >= 0 || left <= 0)) {
                stop();
                return withDetail(QStringLiteral("o leitor de arquivos Access ficou %1 s sem progresso e foi "
                                                 "interrompido")
                                      .arg(MdbReader::noProgressTimeout() / 1000.0));
            }
            if (watched[1].revents) {
                char text[4096];
                const ssize_t got = ::read(watched[1].fd, text, sizeof text);
                if (got > 0)
                    errors.append(QByteArray(text, got));
                else if (got == 0 || errno != EINTR)
                    watched[1].fd = -1;
            }
            if (watched[0].revents) {
                const ssize_t got = ::read(watched[0].fd, parser.room(kChunk), kChunk);
                if (got > 0) {
                    received += got;
                    if (received > limit) {
                        stop();
                        return withDetail(
                            QStringLiteral("o leitor de arquivos Access produziu mais dados do que o "
                                           "arquivo pode conter"));
                    }
                    parser.feed(static_cast<size_t>(got));
                    sinceProgress.restart();
                } else if (got == 0 || errno != EINTR) {
                    watched[0].fd = -1;
                }
            }
        }
    } catch (...) {
        stop();
        throw;
    }
    // Both pipes are closed: the reader has ended or is about to.
    if (!process.waitForFinished(MdbReader::noProgressTimeout()))
        stop();
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
