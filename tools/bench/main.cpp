// zelt-bench [--runs N] [--query STATEMENT] DATABASE...: medians of opening each database and
// of the search statements the program composes over its class edition, and the memory in use
// after opening (measured in a fresh process, so that one database does not count another's).
// With --query, times that statement instead: on a fresh connection (for an Access file this
// includes copying the tables it names) and again on an open one.

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/Query.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

const char kRssOption[] = "--rss-after-open";

const QString kSearchHead = QStringLiteral(
    "SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla, Codigo_Sub,  Codigo_Cla_Seq, Descricao_Cla, "
    "(Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse, (Left(Descricao_Cla, 500)) As "
    "Descricao,  "
    "(Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub) As CodigoSubClasse FROM "
    "%1_Atividade "
    " WHERE 1=1 ");

struct Search {
    const char *label;
    QString condition;
};

const std::vector<Search> &searches()
{
    static const std::vector<Search> list = {
        {"+reatores -nucleares",
         QStringLiteral(" AND (Palavra_Chave LIKE '|reatores|%') AND (NOT Palavra_Chave LIKE "
                        "'%|nucleares|%') ORDER BY Codigo_Cla, Descricao_Cla")},
        {"venda de carros", QStringLiteral(" AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave LIKE "
                                           "'%|carros|%') ORDER BY Codigo_Cla, Descricao_Cla")},
        {"venda de carros, alphabetical",
         QStringLiteral(" AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave "
                        "LIKE '%|carros|%') ORDER BY Descricao_Cla")},
        {"*mercad*",
         QStringLiteral(" AND (Palavra_Chave LIKE '%mercad%') ORDER BY Codigo_Cla, Descricao_Cla")},
        {"VENDA (capitals)",
         QStringLiteral(" AND (Palavra_Chave LIKE '%|VENDA|%') ORDER BY Codigo_Cla, Descricao_Cla")},
        {"code 01", QStringLiteral(" AND ( (Codigo_Cla LIKE '01%') ) ORDER BY Codigo_Cla, Descricao_Cla")},
        {"all activities", QStringLiteral(" ORDER BY Descricao_Cla")},
    };
    return list;
}

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QString connectionString(const QString &path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"%1\";Persist Security Info=False")
        .arg(path);
}

// The first current or frozen edition that lists classes, as the program orders them.
QString classEditionPrefix(Connection &connection)
{
    const ResultSet editions = connection.execute(QStringLiteral(
        "SELECT Cod_Classificacao, Descricao, Tabela, Status, Descricao_Pagina FROM ZELT_Classificacao WHERE "
        "Status = 0 OR Status = 1 ORDER BY Status , Descricao"));
    for (const auto &row : editions.rows) {
        const QString description = row.at(1).toString().toLower();
        if (!description.contains(QLatin1String("fiscal")) &&
            !description.contains(QLatin1String("subclasses")))
            return row.at(2).toString();
    }
    throw DataError(QStringLiteral("the catalogue lists no class edition"));
}

void benchmarkQuery(const QString &path, const QString &statement, int runs)
{
    int rows = 0;
    const double coldMs = medianMs(runs, [&] {
        Connection connection;
        connection.setConnectionString(connectionString(path));
        connection.open();
        rows = int(connection.execute(statement).rows.size());
    });
    std::printf("  open and first run of the query     median %8.2f ms  %6d rows\n", coldMs, rows);
    Connection connection;
    connection.setConnectionString(connectionString(path));
    connection.open();
    connection.execute(statement);
    const double warmMs = medianMs(runs, [&] { connection.execute(statement); });
    std::printf("  query on an open connection         median %8.2f ms\n", warmMs);
}

int benchmark(const QString &path, const QString &statement, int runs)
{
    std::printf("%s\n", qPrintable(path));
    const double openMs = medianMs(runs, [&] {
        Connection connection;
        connection.setConnectionString(connectionString(path));
        connection.open();
    });
    std::printf("  open                               median %8.2f ms\n", openMs);

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kRssOption), path});
    child.waitForFinished(-1);
    std::printf("  memory in use after opening (RSS)  %8.1f MB\n",
                child.readAllStandardOutput().trimmed().toLong() / 1024.0);

    if (!statement.isEmpty()) {
        benchmarkQuery(path, statement, runs);
        return 0;
    }
    Connection connection;
    connection.setConnectionString(connectionString(path));
    connection.open();
    const QString prefix = classEditionPrefix(connection);
    const ResultSet count =
        connection.execute(QStringLiteral("SELECT count(*) FROM %1_Atividade").arg(prefix));
    std::printf("  class edition %s, %lld activities\n", qPrintable(prefix),
                count.rows.first().first().toLongLong());

    Query query(connection, QStringLiteral("QryPesquisa"));
    for (const Search &search : searches()) {
        const QString statement = kSearchHead.arg(prefix) + search.condition;
        const double ms = medianMs(runs, [&] { query.reload(statement); });
        std::printf("  search %-30s median %8.2f ms  %6d rows\n", search.label, ms, query.recordCount());
    }
    Query stopWords(connection, QStringLiteral("QryPesquisaAux"));
    const double lookupMs = medianMs(runs, [&] {
        stopWords.reload(QStringLiteral("SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = 'de'"));
    });
    std::printf("  stop-word lookup                   median %8.2f ms\n", lookupMs);
    std::printf("  memory in use after the searches   %8.1f MB\n", rssKb() / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    try {
        if (arguments.size() == 2 && arguments.first() == QLatin1String(kRssOption)) {
            Connection connection;
            connection.setConnectionString(connectionString(arguments.at(1)));
            connection.open();
            std::printf("%ld\n", rssKb());
            return 0;
        }
        int runs = 15;
        QString statement;
        while (arguments.size() >= 2 && arguments.first().startsWith(QLatin1String("--"))) {
            if (arguments.first() == QLatin1String("--runs"))
                runs = std::max(1, arguments.at(1).toInt());
            else if (arguments.first() == QLatin1String("--query"))
                statement = arguments.at(1);
            else
                break;
            arguments = arguments.mid(2);
        }
        if (arguments.isEmpty() || arguments.first().startsWith(QLatin1String("--"))) {
            std::fprintf(stderr, "usage: zelt-bench [--runs N] [--query STATEMENT] DATABASE...\n");
            return 2;
        }
        std::printf("medians of %d runs\n", runs);
        for (const QString &path : arguments)
            benchmark(path, statement, runs);
    } catch (const DataError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
