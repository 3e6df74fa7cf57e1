// zelt-bench-searchhelp DATABASE [--runs N]: on the first edition of DATABASE, prints the medians of
// reading the vocabulary (the background read), completing typed words, building the corrected
// searches of searches that find nothing (each offer counted from the activity groups, and by the
// engine's statement for comparison), and, in the real main window offscreen, painting the results
// grid's description column with and without the bold matched words, per row.
#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/uFrmMain.h"
#include "data/Connection.h"
#include "data/UDtmMain.h"
#include "search/ActivityGroups.h"
#include "search/SearchOffers.h"
#include "search/VocabularyLoader.h"
#include "search/WordCompletion.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

double median(int runs, const std::function<void()> &action)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        action();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int usage()
{
    std::fprintf(stderr, "usage: zelt-bench-searchhelp DATABASE [--runs N]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    int runs = 11;
    QString database;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--runs") && i + 1 < arguments.size())
            runs = std::max(1, arguments[++i].toInt());
        else if (database.isEmpty())
            database = arguments[i];
        else
            return usage();
    }
    if (database.isEmpty())
        return usage();

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
    TDtmMain dtm;
    TFrmMain window(dtm, base.path());
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
    if (!recorder.errors.isEmpty()) {
        std::fprintf(stderr, "error: %s\n", qPrintable(recorder.errors.first()));
        return 1;
    }
    const QString connectionString = dtm.ADCMain.connectionString();
    const QString prefix = window.nav.PrefixoTabela;

    // The vocabulary as the background thread reads it, here on this thread.
    SearchVocabulary vocabulary;
    const double readMs =
        median(std::min(runs, 3), [&] { vocabulary = readVocabulary(connectionString, prefix); });
    std::printf("edition %s: %d keywords\n", qPrintable(prefix), vocabulary.size());
    std::printf("vocabulary read (background)   median %9.2f ms\n", readMs);

    for (const char *typed : {"ve", "auto", "venda de carr"}) {
        const QString text = QLatin1String(typed);
        int offered = 0;
        const double ms = median(runs * 10, [&] {
            offered = int(wordOffers(vocabulary, text, int(text.size()), WordCompletion::WordLimit).size());
        });
        std::printf("completion \"%s\" (%d offers)%*s median %9.3f ms\n", typed, offered,
                    int(std::max<qsizetype>(0, 16 - text.size())), "", ms);
    }

    Connection connection;
    connection.setConnectionString(connectionString);
    connection.open();
    for (const char *typed : {"automovl", "vemda de carros", "+reatorez -nucleares", "01119"}) {
        const QString text = QLatin1String(typed);
        // Each offer counted from the vocabulary's activity groups (as the window counts), then by
        // the engine's statement over every activity, for comparison.
        for (const ActivityGroups *groups :
             {vocabulary.groups(), static_cast<const ActivityGroups *>(nullptr)}) {
            int offered = 0;
            int counted = 0;
            const double ms = median(groups ? runs * 10 : runs, [&] {
                counted = 0;
                offered = int(searchOffers(vocabulary, text, [&](const QString &offer) {
                                  ++counted;
                                  return countSearchResults(connection, groups, prefix, QString(), offer);
                              }).size());
            });
            std::printf("offers \"%s\" (%d offers, %d counted) %s median %9.2f ms\n", typed, offered, counted,
                        groups ? "from the groups   " : "by the engine     ", ms);
        }
        const double nearMs =
            median(runs, [&] { vocabulary.nearTo(text.split(QLatin1Char(' ')).first(), 5); });
        std::printf("nearest words of \"%s\" alone     median %9.2f ms\n", typed, nearMs);
    }

    // Bold words: the description column of a results page painted whole, with and without them.
    auto *box = window.findChild<QLineEdit *>(QStringLiteral("EdtPesquisa"));
    auto *grid = window.findChild<DataGrid *>(QStringLiteral("DbgPesquisa"));
    box->setText(QStringLiteral("automov*"));
    window.findChild<QPushButton *>(QStringLiteral("BtnPesquisa"))->click();
    QApplication::processEvents();
    QAbstractItemDelegate *emphasis = grid->itemDelegateForColumn(1);
    const int rows = grid->model()->rowCount();
    const int shown = std::max(1, grid->rowAt(grid->viewport()->height() - 1) - grid->rowAt(0) + 1);
    QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const auto paintAll = [&] {
        QPainter painter(&image);
        grid->viewport()->render(&painter);
    };
    const double withMs = median(runs * 3, paintAll);
    grid->setItemDelegateForColumn(1, nullptr);
    const double withoutMs = median(runs * 3, paintAll);
    grid->setItemDelegateForColumn(1, emphasis);
    // Scrolling: every row painted once, a screenful at a time.
    QElapsedTimer scroll;
    scroll.start();
    for (int top = 0; top < rows; top += shown) {
        grid->scrollTo(grid->model()->index(top, 0), QAbstractItemView::PositionAtTop);
        paintAll();
    }
    const double scrollMs = scroll.nsecsElapsed() / 1e6;
    std::printf("results \"automov*\": %d rows, %d on screen\n", rows, shown);
    std::printf("paint per row with bold words  median %9.4f ms\n", withMs / shown);
    std::printf("paint per row without          median %9.4f ms\n", withoutMs / shown);
    std::printf("scroll through every row       %9.2f ms (%.4f ms a row)\n", scrollMs,
                rows > 0 ? scrollMs / rows : 0.0);
    dialogs::installRecorder(nullptr);
    return 0;
}
