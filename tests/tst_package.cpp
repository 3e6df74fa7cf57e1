#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "support/ProgramRun.h"
#include "support/TestDatabase.h"
#include "TestPaths.h"

// The Debian package as the build makes it (cpack -G DEB), unpacked into a temporary folder:
// its files, its control fields, its programs started through their /usr/bin links, and the
// verdicts of the desktop's and Debian's own checkers.
class TestPackage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void files();
    void versionsAgree();
    void controlFields();
    void sqlToolThroughLink_data();
    void sqlToolThroughLink();
    void programThroughLink_data();
    void programThroughLink();
    void desktopEntry();
    void checkers_data();
    void checkers();

private:
    QString unpacked(const QString &path) const { return m_root.filePath(path); }

    QTemporaryDir m_dir;
    QDir m_root;
    QString m_package;
};

namespace
{

const QString kAppId = QStringLiteral("org.example.zelt");

// What a link holds, as written: QFileInfo gives only the resolved target.
QString linkText(const QString &path)
{
    char buffer[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return size < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(size)));
}

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

} // namespace

void TestPackage::initTestCase()
{
#ifdef ZELT_SANITIZED
    QSKIP("The package is made from the release build");
#endif
    QVERIFY(m_dir.isValid());
    const ProgramRun cpack =
        runProgram(QStringLiteral(ZELT_CPACK), {"-G", "DEB", "-B", m_dir.filePath("out")},
                   QStringLiteral(ZELT_BUILD_DIR), QProcessEnvironment::systemEnvironment(), 300000);
    QVERIFY2(cpack.finished && cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
    const QStringList packages = QDir(m_dir.filePath("out")).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(packages.size(), 1);
    m_package = m_dir.filePath("out/" + packages.constFirst());
    m_root.setPath(m_dir.filePath("root"));
    const ProgramRun unpack = runProgram(QStringLiteral("dpkg-deb"), {"-x", m_package, m_root.path()});
    QVERIFY2(unpack.finished && unpack.exitCode == 0, qPrintable(unpack.err));
}

void TestPackage::files()
{
    QStringList found;
    QDirIterator it(m_root.path(), QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(m_root.relativeFilePath(it.next()));
    found.sort();
    const QStringList expected = {
        "usr/bin/zelt",
        "usr/bin/zelt-sql",
        "usr/lib/zelt/Database/ZELT.mdb",
        "usr/lib/zelt/ZELT",
        "usr/lib/zelt/zelt-mdb-reader",
        "usr/lib/zelt/zelt-sql",
        "usr/share/applications/" + kAppId + ".desktop",
        "usr/share/doc/zelt/changelog.gz",
        "usr/share/doc/zelt/copyright",
        "usr/share/icons/hicolor/128x128/apps/" + kAppId + ".png",
        "usr/share/icons/hicolor/256x256/apps/" + kAppId + ".png",
        "usr/share/icons/hicolor/48x48/apps/" + kAppId + ".png",
        "usr/share/icons/hicolor/scalable/apps/" + kAppId + ".svg",
        "usr/share/man/man1/zelt-sql.1.gz",
        "usr/share/man/man1/zelt.1.gz",
        "usr/share/metainfo/" + kAppId + ".metainfo.xml",
    };
    QCOMPARE(found, expected);

    // The links are relative, so they hold wherever the package is unpacked.
    QCOMPARE(QFile::symLinkTarget(unpacked("usr/bin/zelt")), unpacked("usr/lib/zelt/ZELT"));
    QCOMPARE(linkText(unpacked("usr/bin/zelt")), QStringLiteral("../lib/zelt/ZELT"));
    QCOMPARE(linkText(unpacked("usr/bin/zelt-sql")), QStringLiteral("../lib/zelt/zelt-sql"));
    for (const char *program : {"ZELT", "zelt-mdb-reader", "zelt-sql"})
        QVERIFY2(QFileInfo(unpacked(QStringLiteral("usr/lib/zelt/") + program)).isExecutable(), program);
    QCOMPARE(QFileInfo(unpacked("usr/lib/zelt/Database/ZELT.mdb")).size(), QFileInfo(ZELT_SAMPLE_DB).size());
    for (const int size : {48, 128, 256}) {
        const QString icon =
            unpacked(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
        QCOMPARE(QImageReader(icon).size(), QSize(size, size));
    }
}

void TestPackage::versionsAgree()
{
    const QString version = QStringLiteral(ZELT_VERSION);
    const ProgramRun field = runProgram(QStringLiteral("dpkg-deb"), {"-f", m_package, "Version"});
    QCOMPARE(field.out, version + '\n');
    QVERIFY2(QFileInfo(m_package).fileName().startsWith("zelt_" + version + "_"), qPrintable(m_package));
    const ProgramRun program =
        runProgram(unpacked("usr/bin/zelt"), {"--version"}, QString(), environmentWithoutDisplay());
    QCOMPARE(program.out, "ZELT " + version + '\n');
    const ProgramRun sql = runProgram(unpacked("usr/bin/zelt-sql"), {"--version"});
    QCOMPARE(sql.out, "zelt-sql " + version + '\n');
    const ProgramRun changelog =
        runProgram(QStringLiteral("zcat"), {unpacked("usr/share/doc/zelt/changelog.gz")});
    QVERIFY2(changelog.out.startsWith("zelt (" + version + ") "), qPrintable(changelog.out));
    QFile metainfo(unpacked("usr/share/metainfo/" + kAppId + ".metainfo.xml"));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(metainfo.readAll()).contains("<release version=\"" + version + "\""));
}

void TestPackage::controlFields()
{
    const ProgramRun fields = runProgram(QStringLiteral("dpkg-deb"),
                                         {"-f", m_package, "Package", "Section", "Maintainer", "Depends"});
    QVERIFY2(fields.out.startsWith("Package: zelt\nSection: misc\n"), qPrintable(fields.out));
    QVERIFY2(QRegularExpression("\nMaintainer: [^<\n]+ <[^@>\\s]+@[^>\\s]+>\n").match(fields.out).hasMatch(),
             qPrintable(fields.out));
    // Computed from the programs' libraries, not written by hand.
    for (const char *library : {"libqt6widgets6", "libsqlite3-0", "libmdb3", "libxlsxwriter4", "libc6"})
        QVERIFY2(
            fields.out.contains(QRegularExpression(QStringLiteral("Depends: .*\\b%1 \\(>= ").arg(library))),
            qPrintable(fields.out));
    // Qt's own texts in Portuguese come from a package of data, no library.
    QVERIFY2(fields.out.contains(QRegularExpression(QStringLiteral("Depends: .*\\bqt6-translations-l10n\\b"))),
             qPrintable(fields.out));
    // A file manager opens an Access file with the program.
    QFile entry(unpacked("usr/share/applications/" + kAppId + ".desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString desktop = QString::fromUtf8(entry.readAll());
    QVERIFY2(desktop.contains(QLatin1String("\nExec=zelt %f\n")), qPrintable(desktop));
    QVERIFY2(desktop.contains(QRegularExpression(QStringLiteral("\nMimeType=.*application/vnd\\.ms-access;"))),
             qPrintable(desktop));
    const ProgramRun description = runProgram(QStringLiteral("dpkg-deb"), {"-f", m_package, "Description"});
    const QStringList lines = description.out.split('\n');
    QVERIFY2(lines.size() > 4 && lines.constFirst().contains("ZELT classification"),
             qPrintable(description.out));
    QVERIFY2(description.out.contains("zelt-sql"), qPrintable(description.out));
}

void TestPackage::sqlToolThroughLink_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("out");

    QTest::newRow("the package's sample")
        << unpacked("usr/lib/zelt/Database/ZELT.mdb")
        << "SELECT Descricao FROM ZELT_Classificacao WHERE Cod_Classificacao = 1"
        << "Descricao\nZELT 2.0\n1 row\n";
    // An Access file is read by zelt-mdb-reader, which must be found beside the real program.
    QTest::newRow("an Access file") << QStringLiteral(ZELT_FIXTURES_DIR "/DateTestDatabase.mdb")
                                    << "SELECT IDCol FROM DateTest WHERE IDCol < 3 ORDER BY IDCol"
                                    << "IDCol\n1\n2\n2 rows\n";
}

void TestPackage::sqlToolThroughLink()
{
    QFETCH(QString, database);
    QFETCH(QString, statement);
    QFETCH(QString, out);
    const ProgramRun run = runProgram(unpacked("usr/bin/zelt-sql"), {database, statement}, m_dir.path());
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.out, out);
}

void TestPackage::programThroughLink_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("database");

    const QString copy = m_dir.filePath("mine/ZELT.mdb");
    QVERIFY(QDir().mkpath(m_dir.filePath("mine")));
    QVERIFY(testdb::copyFile(unpacked("usr/lib/zelt/Database/ZELT.mdb"), copy));
    QTest::newRow("--database") << QStringList{"--database", copy} << copy;
    QTest::newRow("beside the real program") << QStringList{} << unpacked("usr/lib/zelt/Database/ZELT.mdb");
}

void TestPackage::programThroughLink()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, database);
    // --start-check quits once the window has shown, printing the page, the edition listed and the
    // database opened, and every message box raised on the way as "error:"/"warning:" lines.
    const ProgramRun run =
        runProgram(unpacked("usr/bin/zelt"), arguments + QStringList{"--start-check"}, m_dir.path());
    QVERIFY2(run.finished, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("page: TbSPrincipal\nedition: ZELT 2.0\ndatabase: %1\n").arg(database));
    QVERIFY2(!run.err.contains("error:") && !run.err.contains("warning:"), qPrintable(run.err));
    QCOMPARE(run.exitCode, 0);
}

// The menu entry as a desktop reads it: the keys of its [Desktop Entry] group, the localised
// ones for a Portuguese user, the command it starts, the icon it shows and the windows it claims.
void TestPackage::desktopEntry()
{
    QFile file(unpacked("usr/share/applications/" + kAppId + ".desktop"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QHash<QString, QString> keys;
    bool inEntry = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith('['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.contains('=') && !line.startsWith('#'))
            keys.insert(line.section('=', 0, 0).trimmed(), line.section('=', 1).trimmed());
    }
    const auto localised = [&keys](const QString &key) {
        return keys.value(key + "[pt_BR]", keys.value(key + "[pt]", keys.value(key)));
    };
    QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(keys.value("Terminal"), QStringLiteral("false"));
    QVERIFY(keys.value("NoDisplay") != QLatin1String("true") &&
            keys.value("Hidden") != QLatin1String("true"));
    QCOMPARE(localised("Name"), QStringLiteral("ZELT"));
    QVERIFY2(localised("GenericName").contains(QStringLiteral("Atividades Econômicas")),
             qPrintable(localised("GenericName")));
    QVERIFY2(localised("Comment").contains(QStringLiteral("classificação ZELT")),
             qPrintable(localised("Comment")));
    const QStringList words = localised("Keywords").split(';', Qt::SkipEmptyParts);
    QVERIFY2(words.contains(QStringLiteral("classificação")) && words.contains(QStringLiteral("ZELT")),
             qPrintable(localised("Keywords")));
    QVERIFY2(keys.value("Categories").split(';').contains(QStringLiteral("Office")),
             qPrintable(keys.value("Categories")));

    // The command is found on the PATH the package fills and starts the program.
    const QStringList command = keys.value("Exec").split(' ', Qt::SkipEmptyParts);
    QVERIFY(!command.isEmpty());
    const QString program = unpacked("usr/bin/" + command.constFirst());
    QCOMPARE(QFileInfo(program).canonicalFilePath(),
             QFileInfo(unpacked("usr/lib/zelt/ZELT")).canonicalFilePath());
    const ProgramRun version = runProgram(program, {"--version"}, QString(), environmentWithoutDisplay());
    const QString applicationName = version.out.section(' ', 0, 0);
    QCOMPARE(applicationName, QStringLiteral("ZELT"));

    // The icon is found in the theme at every size the menu asks for.
    const QString icon = keys.value("Icon");
    for (const char *size : {"48x48", "128x128", "256x256"})
        QVERIFY2(
            QFileInfo::exists(unpacked(
                QStringLiteral("usr/share/icons/hicolor/%1/apps/%2.png").arg(QLatin1String(size), icon))),
            qPrintable(icon + " " + size));
    QVERIFY(QFileInfo::exists(unpacked("usr/share/icons/hicolor/scalable/apps/" + icon + ".svg")));
    // On X11 the program's windows carry its application name as their class; the entry claims
    // them by it, and by the entry's own name, which the program gives as its desktop file name.
    QCOMPARE(keys.value("StartupWMClass"), applicationName);
    QCOMPARE(QFileInfo(file).completeBaseName(), kAppId);
}

void TestPackage::checkers_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("desktop-file-validate")
        << tool("desktop-file-validate")
        << QStringList{unpacked("usr/share/applications/" + kAppId + ".desktop")};
    QTest::newRow("appstreamcli") << tool("appstreamcli")
                                  << QStringList{"validate", "--no-net",
                                                 unpacked("usr/share/metainfo/" + kAppId + ".metainfo.xml")};
    QTest::newRow("lintian") << tool("lintian") << QStringList{"--fail-on", "error", m_package};
}

void TestPackage::checkers()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QVERIFY2(!program.isEmpty(), "not installed: tools/dev.sh installs it");
    const ProgramRun run =
        runProgram(program, arguments, QString(), QProcessEnvironment::systemEnvironment(), 300000);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.out + run.err));
    qInfo().noquote() << run.out.trimmed();
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
