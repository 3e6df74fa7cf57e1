#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class QCoreApplication;

// The program's command line: --help, --version, a database FILE (alone or after --database), and
// the hidden --start-check with which the package's tests start the installed program.
class CommandLine
{
public:
    CommandLine();
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    // True when the arguments ask for help or the version: these are answered without a window,
    // so without QApplication, which needs a display.
    bool asksForTextOnly(const QStringList &arguments);
    // Refuses wrong arguments before any display is needed: prints why and ends the process with
    // exit status 1. Qt's own options (-platform, -style ...) are left to QApplication.
    void refuseWrongArguments(const QStringList &arguments);
    // Answers --help and --version and refuses wrong arguments, each by printing and ending the
    // process as QCommandLineParser does; otherwise reads the options of the run.
    void process(const QCoreApplication &application);

    // The absolute path given with --database or alone; empty for the database beside the
    // executable.
    QString databaseFile() const { return m_databaseFile; }
    bool startCheck() const { return m_startCheck; }

private:
    // The error in the parsed arguments, or the empty text.
    QString argumentError() const;

    QCommandLineParser m_parser;
    QCommandLineOption m_databaseOption;
    QCommandLineOption m_startCheckOption;
    QString m_databaseFile;
    bool m_startCheck = false;
};

// The arguments without the options QGuiApplication and QApplication take for themselves.
QStringList withoutQtOptions(const QStringList &arguments);
