// zelt-bench-pages [DATABASE] [ROUNDS]: opens the real main window offscreen on a copy of DATABASE
// (default: the sample beside the program), then enters the structure page and each level page
// ROUNDS times (default 50) through the dispatcher, as the links and grids do, and prints the
// median, minimum and maximum time of each entry in milliseconds, with and without the repaint.
#include "app/Dialogs.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

struct Timing {
    std::vector<double> dispatch;
    std::vector<double> painted;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString database =
        arguments.size() > 1
            ? arguments[1]
            : QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("Database/ZELT.mdb"));
    bool numeric = true;
    const int rounds = arguments.size() > 2 ? arguments[2].toInt(&numeric) : 50;
    if (arguments.size() > 3 || !numeric || rounds < 1 || rounds > 100000) {
        std::fprintf(stderr, "usage: zelt-bench-pages [DATABASE] [ROUNDS 1..100000]\n");
        return 2;
    }

    QTemporaryDir base;
    if (!base.isValid() || !QDir(base.path()).mkpath(QStringLiteral("Database")) ||
        !QFile::copy(database, base.filePath(QStringLiteral("Database/ZELT.mdb")))) {
        std::fprintf(stderr, "cannot copy %s into a temporary folder\n", qPrintable(database));
        return 1;
    }

    dialogs::Recorder recorder;
    dialogs::installRecorder(&recorder);
    TDtmMain dtm;
    TFrmMain window(dtm, base.path());
    window.show();
    QApplication::processEvents();

    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"));
    const struct {
        const char *name;
        std::function<void()> enter;
    } entries[] = {
        {"Estrutura", [&] { window.BtnEstruturaClick(); }},
        {"Secao", [&] { window.AbrePaginaSecao(); }},
        {"Divisao", [&] { window.AbrePaginaDivisao(); }},
        {"Grupo", [&] { window.AbrePaginaGrupo(); }},
        {"Classe", [&] { window.AbrePaginaClasse(); }},
        {"SubClasse", [&] { window.AbrePaginaSubClasse(); }},
    };
    std::vector<Timing> timings(std::size(entries));
    int failures = 0;

    // Each round walks down from the structure page: every entry reads the row its list stands on
    // (the first of each list, which the page above has just reloaded).
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < std::size(entries); ++i) {
            QElapsedTimer timer;
            timer.start();
            try {
                entries[i].enter();
            } catch (const std::exception &error) {
                if (failures++ == 0)
                    std::fprintf(stderr, "%s: %s\n", entries[i].name, error.what());
            }
            const double dispatched = timer.nsecsElapsed() / 1e6;
            pages->currentWidget()->repaint();
            QApplication::processEvents();
            timings[i].dispatch.push_back(dispatched);
            timings[i].painted.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    window.close();
    dialogs::installRecorder(nullptr);

    std::printf("%s, %d rounds, milliseconds\n", qPrintable(database), rounds);
    std::printf("%-10s %10s %10s %10s %16s\n", "page", "median", "min", "max", "median+repaint");
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        const std::vector<double> &d = timings[i].dispatch;
        std::printf("%-10s %10.3f %10.3f %10.3f %16.3f\n", entries[i].name, median(d),
                    *std::min_element(d.begin(), d.end()), *std::max_element(d.begin(), d.end()),
                    median(timings[i].painted));
    }
    if (failures > 0 || !recorder.errors.isEmpty()) {
        std::fprintf(stderr, "%d entries failed\n", failures + int(recorder.errors.size()));
        return 1;
    }
    return 0;
}
