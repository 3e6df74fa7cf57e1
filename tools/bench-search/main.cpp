// zelt-bench-search DATABASE [--runs N] [--edition DESCRIPTION] [TEXT]: the real main window,
// offscreen, on DATABASE; types TEXT (default "venda de carros") and presses "Pesquisa" N times
// (default 21) after one warm-up run and the wait for the search index that run started (its time
// printed too), and prints the median, fastest and slowest times of the
// whole run (dispatcher, stop-word lookups, results query, grid) and of the stop-word lookups alone,
// and the median processor time of the whole run, and the median time from the press to the
// results grid's first paint.
// With --sql, prints instead the statements one run executes, as SQLite text the sqlite3 shell
// accepts (the engine's own functions and collations spelt with SQLite's built-ins), one a line.
#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/Dialogs.h"
#include "app/uFrmMain.h"
#include "data/AccessSql.h"
#include "data/UDtmMain.h"
#include "search/SearchExpression.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <vector>

namespace
{

struct Timing {
    double median;
    double fastest;
    double slowest;
    double cpuMedian; // processor time, which other work on the machine barely disturbs
};

// The window's own thread alone: the edition's vocabulary is read on another one meanwhile.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Timing measure(int runs, const std::function<void()> &action)
{
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        action();
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return {times[times.size() / 2], times.front(), times.back(), cpu[cpu.size() / 2]};
}

// Index of the parenthesis closing the one just before start, skipping quoted literals; -1 if none.
int closingParenthesis(const QString &sql, int start, QList<int> &commas)
{
    int depth = 0;
    QChar quote;
    for (int i = start; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth-- == 0)
                return i;
        } else if (c == QLatin1Char(',') && depth == 0) {
            commas.append(i);
        }
    }
    return -1;
}

// The engine's functions in SQLite's built-ins: zelt_left(a, n) is substr(a, 1, n),
// zelt_right(a, n) substr(a, -n), zelt_plus of the texts these statements join is ||; the
// case-blind collations become NOCASE. The last call found holds no other call in its arguments,
// so rewriting from the end never meets a half-rewritten one.
QString shellEquivalent(QString sql)
{
    const QRegularExpression call(QStringLiteral("\\b(zelt_left|zelt_right|zelt_plus)\\("));
    for (;;) {
        QRegularExpressionMatch match;
        if (sql.lastIndexOf(call, -1, &match) < 0)
            break;
        QList<int> commas;
        const int open = match.capturedEnd();
        const int close = closingParenthesis(sql, open, commas);
        if (close < 0 || commas.size() != 1)
            throw std::runtime_error("unexpected arguments in " + sql.toStdString());
        const QString a = sql.mid(open, commas[0] - open).trimmed();
        const QString b = sql.mid(commas[0] + 1, close - commas[0] - 1).trimmed();
        QString replacement;
        if (match.captured(1) == QLatin1String("zelt_left"))
            replacement = QStringLiteral("substr(%1, 1, %2)").arg(a, b);
        else if (match.captured(1) == QLatin1String("zelt_right"))
            replacement = QStringLiteral("substr(%1, -(%2))").arg(a, b);
        else
            replacement = QStringLiteral("(%1 || %2)").arg(a, b);
        sql.replace(match.capturedStart(), close + 1 - match.capturedStart(), replacement);
    }
    sql.replace(QRegularExpression(QStringLiteral("COLLATE\\s+\"?(zelt_nocase|zelt_sort)\"?")),
                QStringLiteral("COLLATE NOCASE"));
    return sql.simplified();
}

// Notes each paint of a widget.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

int usage()
{
    std::fprintf(stderr,
                 "usage: zelt-bench-search DATABASE [--runs N] [--edition DESCRIPTION] [--sql] [TEXT]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QStringList arguments = QApplication::arguments().mid(1);
    int runs = 21;
    QString edition;
    QString text = QStringLiteral("venda de carros");
    QString database;
    bool printSql = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--runs") && i + 1 < arguments.size()) {
            bool ok = false;
            runs = arguments[++i].toInt(&ok);
            if (!ok || runs < 1 || runs > 10000)
                return usage();
        } else if (argument == QLatin1String("--edition") && i + 1 < arguments.size()) {
            edition = arguments[++i];
        } else if (argument == QLatin1String("--sql")) {
            printSql = true;
        } else if (database.isEmpty()) {
            database = argument;
        } else {
            text = argument;
        }
    }
    if (database.isEmpty())
        return usage();

    // The window reads <base>/Database/ZELT.mdb; a link spares copying a large database.
    QTemporaryDir base;
    const QString target = QFileInfo(database).absoluteFilePath();
    if (!base.isValid() || !QFileInfo::exists(target) ||
        !QDir(base.path()).mkpath(QStringLiteral("Database")) ||
        !QFile::link(target, base.filePath(QStringLiteral("Database/ZELT.mdb")))) {
        std::fprintf(stderr, "cannot reach %s from a temporary folder\n", qPrintable(database));
        return 1;
    }

    dialogs::Recorder recorder;
    dialogs::installRecorder(&recorder);
    QElapsedTimer startUp;
    startUp.start();
    TDtmMain dtm;
    TFrmMain window(dtm, base.path());
    window.show();
    QApplication::processEvents();
    const double startUpMs = startUp.nsecsElapsed() / 1e6;
    if (!edition.isEmpty()) {
        auto *list = window.findChild<DataLookupCombo *>(QStringLiteral("CmbClassificacao"));
        const int index = list->findText(edition);
        if (index < 0) {
            std::fprintf(stderr, "no edition %s\n", qPrintable(edition));
            return 1;
        }
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    if (!recorder.errors.isEmpty()) {
        std::fprintf(stderr, "error: %s\n", qPrintable(recorder.errors.first()));
        return 1;
    }

    auto *box = window.findChild<QLineEdit *>(QStringLiteral("EdtPesquisa"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("BtnPesquisa"));
    const auto search = [&] {
        box->setText(text);
        button->click();
    };
    // The first search of an edition is the one that may have to load its activity table.
    QElapsedTimer firstRun;
    const double cpuAtFirstRun = cpuMs();
    const double threadAtFirstRun = threadCpuMs();
    firstRun.start();
    search();
    const double firstRunMs = firstRun.nsecsElapsed() / 1e6;
    const double firstRunCpuMs = cpuMs() - cpuAtFirstRun;
    const double firstRunThreadMs = threadCpuMs() - threadAtFirstRun;
    if (!recorder.errors.isEmpty()) {
        std::fprintf(stderr, "error: %s\n", qPrintable(recorder.errors.first()));
        return 1;
    }
    if (printSql) {
        QStringList statements;
        ::RetiraPalavrasLigacao(window.nav.TextoPesquisa, [&](const QString &statement) {
            statements.append(statement);
            return !dtm.ADCMain.execute(statement).rows.isEmpty();
        });
        statements.append(dtm.QryPesquisa.sql().join(QLatin1Char(' ')));
        for (const QString &statement : statements)
            std::printf("%s;\n", qPrintable(shellEquivalent(translateAccessSql(statement).sql)));
        return 0;
    }
    // A large table's search index grows while the program is idle; later searches use it whole.
    QElapsedTimer indexing;
    const double cpuAtIndexing = cpuMs();
    indexing.start();
    while (dtm.ADCMain.isIndexing())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const double indexingMs = indexing.nsecsElapsed() / 1e6;
    const double indexingCpuMs = cpuMs() - cpuAtIndexing;
    const QString prefix = window.nav.PrefixoTabela;
    const ResultSet count =
        dtm.ADCMain.execute(QStringLiteral("SELECT COUNT(*) FROM %1_Atividade").arg(prefix));
    const long long activities = count.rows.value(0).value(0).toLongLong();
    const QString found = window.findChild<QLabel *>(QStringLiteral("LblNumeroRegistros"))->text();

    const Timing run = measure(runs, search);
    // The press, then the events that follow it until the grid has painted its rows.
    auto *grid = window.findChild<DataGrid *>(QStringLiteral("DbgPesquisa"));
    PaintWatch paints;
    grid->viewport()->installEventFilter(&paints);
    const Timing painted = measure(runs, [&] {
        paints.painted = false;
        search();
        QElapsedTimer limit;
        limit.start();
        while (!paints.painted && limit.elapsed() < 10000)
            QApplication::processEvents();
    });
    grid->viewport()->removeEventFilter(&paints);
    // The lookups as the run makes them: the text folded, trimmed, apostrophes doubled.
    const QString words = window.nav.TextoPesquisa;
    const Timing lookups = measure(runs, [&] { window.RetiraPalavrasLigacao(words); });

    std::printf("edition %s: %lld activities; \"%s\" finds %s\n", qPrintable(prefix), activities,
                qPrintable(text), qPrintable(found));
    std::printf("start-up       %8.2f ms (to the home page shown)\n", startUpMs);
    std::printf("first run      %8.2f ms (processor %.2f ms, of it the window's thread %.2f ms)\n",
                firstRunMs, firstRunCpuMs, firstRunThreadMs);
    std::printf("index built    %8.2f ms after the first run (processor %.2f ms)\n", indexingMs,
                indexingCpuMs);
    std::printf("whole run      median %8.2f ms  fastest %8.2f  slowest %8.2f  (%d runs)\n", run.median,
                run.fastest, run.slowest, runs);
    std::printf("processor time median %8.2f ms\n", run.cpuMedian);
    std::printf("to first paint median %8.2f ms  fastest %8.2f  slowest %8.2f  (processor %.2f ms)\n",
                painted.median, painted.fastest, painted.slowest, painted.cpuMedian);
    std::printf("stop words     median %8.2f ms  fastest %8.2f  slowest %8.2f\n", lookups.median,
                lookups.fastest, lookups.slowest);
    std::printf("per 1000 activities: %.3f ms\n", activities > 0 ? run.median * 1000.0 / activities : 0.0);
    dialogs::installRecorder(nullptr);
    return recorder.errors.isEmpty() ? 0 : 1;
}
