#include "support/XServer.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

namespace
{

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000) || process.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

void stop(std::unique_ptr<QProcess> &process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

} // namespace

XServer::~XServer()
{
    stop(m_windowManager);
    stop(m_server);
}

bool XServer::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty();
}

QString XServer::start()
{
    for (const char *tool : {"openbox", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
    }
    // Xvfb picks a free display itself and writes its number on the given descriptor.
    m_server = std::make_unique<QProcess>();
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp")});
    QDeadlineTimer deadline(10000);
    while (!m_server->canReadLine() && !deadline.hasExpired()) {
        if (!m_server->waitForReadyRead(200) && m_server->state() == QProcess::NotRunning)
            return QStringLiteral("Xvfb did not start: %1")
                .arg(QString::fromLocal8Bit(m_server->readAllStandardError()).trimmed());
    }
    const QString number = QString::fromLatin1(m_server->readLine()).trimmed();
    if (number.isEmpty())
        return QStringLiteral("Xvfb gave no display number");
    m_display = QLatin1Char(':') + number;
    qputenv("DISPLAY", m_display.toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");

    m_windowManager = std::make_unique<QProcess>();
    m_windowManager->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // The window manager is running once it has named itself on the root window.
    while (!deadline.hasExpired()) {
        if (run(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QLatin1String("window id")))
            return {};
        if (m_windowManager->state() == QProcess::NotRunning)
            return QStringLiteral("openbox did not start");
        QThread::msleep(100);
    }
    return QStringLiteral("openbox did not take the display in time");
}

QString XServer::property(unsigned long window, const QString &name)
{
    const QString text = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), name});
    // "NAME(TYPE) = value", or "NAME(TYPE):" followed by lines of values.
    const qsizetype equals = text.indexOf(QLatin1String(" = "));
    if (equals >= 0 && !text.left(equals).contains(QLatin1Char('\n'))) {
        QString value = text.mid(equals + 3);
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    const qsizetype colon = text.indexOf(QLatin1String(":\n"));
    return colon < 0 ? QString() : text.mid(colon + 2).trimmed();
}
