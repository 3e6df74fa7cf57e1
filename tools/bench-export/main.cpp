// zelt-bench-export [DATABASE] [RUNS]: opens the real main window offscreen on a copy of DATABASE
// (default: the sample beside the program), exports its first edition as one workbook RUNS times
// (default 3) as "Exportar classificação..." does, and prints the median, fastest and slowest
// time in seconds, the workbook's size and the process's peak memory.
#include "app/Dialogs.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

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
    const int runs = arguments.size() > 2 ? arguments[2].toInt(&numeric) : 3;
    if (arguments.size() > 3 || !numeric || runs < 1 || runs > 1000) {
        std::fprintf(stderr, "usage: zelt-bench-export [DATABASE] [RUNS 1..1000]\n");
        return 2;
    }

    QTemporaryDir base;
    if (!base.isValid() || !QDir(base.path()).mkpath(QStringLiteral("Database")) ||
        !QFile::copy(database, base.filePath(QStringLiteral("Database/ZELT.mdb")))) {
        std::fprintf(stderr, "cannot copy %s into a temporary folder\n", qPrintable(database));
        return 1;
    }
    const QString workbook = base.filePath(QStringLiteral("classificacao.xlsx"));

    dialogs::Recorder recorder;
    recorder.onSaveFile = [&workbook](QFileDialog &) { return workbook; };
    dialogs::installRecorder(&recorder);
    TDtmMain dtm;
    TFrmMain window(dtm, base.path());
    window.show();
    QApplication::processEvents();

    std::vector<double> seconds;
    for (int run = 0; run < runs && recorder.errors.isEmpty(); ++run) {
        QFile::remove(workbook);
        QElapsedTimer timer;
        timer.start();
        window.exportEdition();
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    window.close();
    dialogs::installRecorder(nullptr);
    if (!recorder.errors.isEmpty() || !QFileInfo(workbook).isFile()) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(recorder.errors.join(QLatin1Char('\n'))));
        return 1;
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::sort(seconds.begin(), seconds.end());
    const std::size_t n = seconds.size();
    const double median = n % 2 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
    std::printf("%s, %d runs\n", qPrintable(database), runs);
    std::printf("median %.2f s, fastest %.2f s, slowest %.2f s, workbook %.1f MB, peak memory %.0f MB\n", median,
                seconds.front(), seconds.back(), QFileInfo(workbook).size() / 1e6, usage.ru_maxrss / 1024.0);
    return 0;
}
