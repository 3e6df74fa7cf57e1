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

void CommandLine::process(const QCoreApplication &application)
{
    m_parser.process(application);
    if (!m_parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: unexpected argument '%s'; give a database with --database FILE\n",
                     qPrintable(QCoreApplication::applicationName()),
                     qPrintable(m_parser.positionalArguments().constFirst()));
        std::exit(EXIT_FAILURE);
    }
    if (m_parser.isSet(m_databaseOption)) {
        const QString file = m_parser.value(m_databaseOption);
        if (file.isEmpty()) {
            std::fprintf(stderr, "%s: --database needs a file name\n",
                         qPrintable(QCoreApplication::applicationName()));
            std::exit(EXIT_FAILURE);
        }
        m_databaseFile = QFileInfo(file).absoluteFilePath();
    }
    m_startCheck = m_parser.isSet(m_startCheckOption);
}
