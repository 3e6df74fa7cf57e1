#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of a program as a person starts it from a shell: its exit status and its output.
struct ProgramRun {
    bool finished = false; // false: it did not start, crashed or outlived the time allowed
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs program with arguments in workingDirectory (the current one when empty) and waits for it.
ProgramRun runProgram(const QString &program, const QStringList &arguments,
                      const QString &workingDirectory = QString(),
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 60000);

// The system's environment without any display, as on a server or in a build job.
QProcessEnvironment environmentWithoutDisplay();
