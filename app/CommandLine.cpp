#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

CommandLine::CommandLine()
    : m_databaseOption(QStringLiteral("database"),
                       QStringLiteral("Open FILE (an Access .mdb/.accdb or SQLite file) instead of "
                                      "Database/ZELT.mdb beside the program."),
                       QStringLiteral("FILE")),
      m_startCheckOption(QStringLiteral("start-check"),
                         QStringLiteral("Start, report the page shown and every message raised, quit."))
{
    m_parser.setApplicationDescription(
        QStringLiteral("Consult the ZELT classification of economic activities."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOption(m_databaseOption);
    m_parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The same as --database FILE."),
                                   QStringLiteral("[FILE]"));
    m_startCheckOption.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(m_startCheckOption);
}

bool CommandLine::asksForTextOnly(const QStringList &arguments)
{
    // Unknown options are no answer here: Qt's own (-platform ...) are still among the arguments.
    m_parser.parse(arguments);
    return m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all")) ||
           m_parser.isSet(QStringLiteral("version"));
}

QString CommandLine::argumentError() const
{
    const QStringList files = m_parser.positionalArguments();
    if (files.size() > 1)
        return QStringLiteral("unexpected argument '%1'; give one database file").arg(files.at(1));
    if (!files.isEmpty() && m_parser.isSet(m_databaseOption))
        return QStringLiteral("unexpected argument '%1'; the database is given with --database already")
            .arg(files.constFirst());
    if (m_parser.isSet(m_databaseOption) && m_parser.value(m_databaseOption).isEmpty())
        return QStringLiteral("--database needs a file name");
    return {};
}

void CommandLine::refuseWrongArguments(const QStringList &arguments)
{
    QString error;
    if (!m_parser.parse(withoutQtOptions(arguments)))
        error = m_parser.errorText();
    else
        error = argumentError();
    if (error.isEmpty())
        return;
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(error));
    std::exit(EXIT_FAILURE);
}

void CommandLine::process(const QCoreApplication &application)
{
    m_parser.process(application);
    if (const QString error = argumentError(); !error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(error));
        std::exit(EXIT_FAILURE);
    }
    QString file = m_parser.value(m_databaseOption);
    if (!m_parser.positionalArguments().isEmpty())
        file = m_parser.positionalArguments().constFirst();
    if (!file.isEmpty())
        m_databaseFile = QFileInfo(file).absoluteFilePath();
    m_startCheck = m_parser.isSet(m_startCheckOption);
}

QStringList withoutQtOptions(const QStringList &arguments)
{
    // Taken from QGuiApplication's and QApplication's own lists; each takes the next argument.
    static const QStringList withValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
        QStringLiteral("qwindowicon"),     QStringLiteral("icon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("title"),
        QStringLiteral("display"),         QStringLiteral("name"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("session"),         QStringLiteral("qmljsdebugger")};
    static const QStringList alone = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                      QStringLiteral("nograb"), QStringLiteral("dograb"),
                                      QStringLiteral("sync")};
    QStringList kept;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept.append(argument);
            if (argument == QLatin1String("--")) {
                kept += arguments.mid(i + 1);
                break;
            }
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            name.truncate(equals);
        if (withValue.contains(name)) {
            if (!valueAttached)
                ++i;
        } else if (!alone.contains(name)) {
            kept.append(argument);
        }
    }
    return kept;
}
