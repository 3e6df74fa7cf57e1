#include "data/Connection.h"

#include "data/DataError.h"
#include "data/DatabaseEngine.h"

Connection::Connection() = default;

Connection::~Connection() = default;

void Connection::setConnectionString(const QString &connectionString)
{
    m_connectionString = connectionString;
}

QString Connection::databasePath() const
{
    // Key=Value pairs separated by ';'; keys ignore case and surrounding blanks; a value may be
    // quoted to hold a ';'.
    const QString text = m_connectionString;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), pos);
        if (equals < 0)
            break;
        const QString key = text.mid(pos, equals - pos).trimmed();
        qsizetype valueStart = equals + 1;
        while (valueStart < text.size() && text.at(valueStart).isSpace())
            ++valueStart;
        QString value;
        qsizetype next = 0;
        const QChar quote = valueStart < text.size() ? text.at(valueStart) : QChar();
        if (quote == QLatin1Char('"') || quote == QLatin1Char('\'')) {
            const qsizetype close = text.indexOf(quote, valueStart + 1);
            const qsizetype end = close < 0 ? text.size() : close;
            value = text.mid(valueStart + 1, end - valueStart - 1);
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), end);
            next = semicolon < 0 ? text.size() : semicolon + 1;
        } else {
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), valueStart);
            const qsizetype end = semicolon < 0 ? text.size() : semicolon;
            value = text.mid(valueStart, end - valueStart).trimmed();
            next = end + 1;
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return value.replace(QLatin1Char('\\'), QLatin1Char('/'));
        pos = next;
    }
    return {};
}

void Connection::open()
{
    if (!m_engine)
        m_engine = DatabaseEngine::open(databasePath());
}

void Connection::close()
{
    m_engine.reset();
}

bool Connection::isOpen() const
{
    return m_engine != nullptr;
}

ResultSet Connection::execute(const QString &statement)
{
    if (!m_engine)
        throw DataError(QStringLiteral("O banco de dados não está aberto."));
    return m_engine->execute(statement);
}

void Connection::execute(const QString &statement,
                         const std::function<void(const QVector<ResultColumn> &)> &onColumns,
                         const std::function<void(QVector<QVariant> &)> &onRow)
{
    if (!m_engine)
        throw DataError(QStringLiteral("O banco de dados não está aberto."));
    m_engine->execute(statement, onColumns, onRow);
}

void Connection::executeInPlace(const QString &statement,
                                const std::function<void(const QVector<ResultColumn> &)> &onColumns,
                                const std::function<void(const RowView &)> &onRow)
{
    if (!m_engine)
        throw DataError(QStringLiteral("O banco de dados não está aberto."));
    m_engine->executeInPlace(statement, onColumns, onRow);
}

void Connection::executeLazy(const QString &statement, LazyResult &result)
{
    if (!m_engine)
        throw DataError(QStringLiteral("O banco de dados não está aberto."));
    m_engine->executeLazy(statement, result);
}

bool Connection::isIndexing() const
{
    return m_engine && m_engine->keywordIndexBuilding();
}

QStringList Connection::takeNotes()
{
    return m_engine ? m_engine->takeNotes() : QStringList();
}
