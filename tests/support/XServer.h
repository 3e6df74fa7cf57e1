#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// A real X server (Xvfb) with a window manager (openbox), for what the offscreen platform cannot
// show: the keyboard focus of an active window, titles and border as the window manager takes
// them. Started on a free display before the application exists, stopped on destruction.
class XServer
{
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    static bool installed();
    // Starts both and points DISPLAY and QT_QPA_PLATFORM at them; the empty text, or why not.
    QString start();
    QString display() const { return m_display; }

    // A property of a window as the window manager reads it (xprop's text after the name), or
    // the empty text.
    static QString property(unsigned long window, const QString &name);

private:
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    QString m_display;
};

// main() of a test class that needs the X server: starts it before the application. Where Xvfb is
// not installed the class runs offscreen with every test skipped; where it is installed but the
// server or the window manager does not start, every test fails with the reason.
#define ZELT_X11_TEST_MAIN(TestObject)                                                                       \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        XServer server;                                                                                      \
        if (!XServer::installed())                                                                           \
            qputenv("ZELT_NO_X_SERVER", "Xvfb is not installed");                                            \
        else if (const QString failure = server.start(); !failure.isEmpty())                                 \
            qputenv("ZELT_X_SERVER_FAILED", failure.toLocal8Bit());                                          \
        QApplication app(argc, argv);                                                                        \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }

#define ZELT_SKIP_WITHOUT_X()                                                                                \
    do {                                                                                                     \
        if (qEnvironmentVariableIsSet("ZELT_NO_X_SERVER"))                                                   \
            QSKIP(qPrintable(QStringLiteral("needs a real X server: ") +                                     \
                             qEnvironmentVariable("ZELT_NO_X_SERVER")));                                     \
        if (qEnvironmentVariableIsSet("ZELT_X_SERVER_FAILED"))                                               \
            QFAIL(qPrintable(qEnvironmentVariable("ZELT_X_SERVER_FAILED")));                                 \
    } while (false)
