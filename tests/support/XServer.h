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

// main() of a test class that needs the X server: starts it before the application, or, where
// Xvfb is not installed, runs the class offscreen with every test skipped through skipWithoutX().
#define ZELT_X11_TEST_MAIN(TestObject)                                                                   \
    int main(int argc, char *argv[])                                                                     \
    {                                                                                                    \
        XServer server;                                                                                  \
        const QString whyNot = XServer::installed() ? server.start() : QStringLiteral("no Xvfb");        \
        if (!whyNot.isEmpty())                                                                           \
            qputenv("ZELT_NO_X_SERVER", whyNot.toLocal8Bit());                                           \
        QApplication app(argc, argv);                                                                    \
        TestObject tc;                                                                                   \
        return QTest::qExec(&tc, argc, argv);                                                            \
    }

#define ZELT_SKIP_WITHOUT_X()                                                                            \
    do {                                                                                                 \
        if (qEnvironmentVariableIsSet("ZELT_NO_X_SERVER"))                                               \
            QSKIP(qPrintable(QStringLiteral("needs a real X server (Xvfb and openbox): ") +              \
                             qEnvironmentVariable("ZELT_NO_X_SERVER")));                                 \
    } while (false)
