#include "applog.h"
#include "commandline.h"
#include "dawnbellwindow.h"
#include "settingsstore.h"
#include "systemplatform.h"
#include "tcplinksocket.h"
#include "version.h"

#include <QtCore/QDir>
#include <QtCore/QScopeGuard>
#include <QtCore/QTextStream>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Set while the window's shutdown can still save; an exit() inside the toolkit (the display
// connection lost) then saves through the hook below before the process ends.
DawnbellWindow *windowToSave = nullptr;

void saveOnAbruptExit()
{
    if (windowToSave)
        windowToSave->saveBeforeAbruptEnd();
}

void setApplicationNames()
{
    QCoreApplication::setApplicationName(DawnbellWindow::Title);
    QCoreApplication::setApplicationVersion(QLatin1String(DawnbellVersionText));
    QCoreApplication::setOrganizationName(QStringLiteral("Company"));
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Answers --help, --version and mistakes; true when the panel is to start.
bool handleCommandLine(int argc, char *argv[], int *exitCode)
{
    CommandLine commandLine;
    commandLine.parse(argumentsOf(argc, argv));
    switch (commandLine.action()) {
    case CommandLine::Action::Run:
        break;
    case CommandLine::Action::Help: {
        QCoreApplication core(argc, argv);
        setApplicationNames();
        QTextStream(stdout) << commandLine.helpText();
        *exitCode = 0;
        return false;
    }
    case CommandLine::Action::Version:
        std::printf("dawnbell %s\n", DawnbellVersionText);
        *exitCode = 0;
        return false;
    case CommandLine::Action::Error:
        QTextStream(stderr) << "dawnbell: " << commandLine.errorText() << '\n'
                            << "Try 'dawnbell --help' for more information.\n";
        *exitCode = 2;
        return false;
    }

    const QString folder = commandLine.folder();
    if (!folder.isEmpty() && !(QDir().mkpath(folder) && QDir::setCurrent(folder))) {
        QTextStream(stderr) << "dawnbell: cannot run in " << QDir::toNativeSeparators(folder)
                            << '\n';
        *exitCode = 1;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    SystemPlatform::prepareProcess();
    int exitCode = 0;
    if (!handleCommandLine(argc, argv, &exitCode))
        return exitCode;

    QApplication app(argc, argv);
    setApplicationNames();
    QGuiApplication::setDesktopFileName(QStringLiteral("dawnbell"));

    SystemPlatform platform;
    TcpLinkSocket socket;
    DawnbellWindow window(socket, platform, QString::fromLatin1(Settings::FileName));

    ShutdownWatch watch;
    QObject::connect(&watch, &ShutdownWatch::endRequested, &window, &DawnbellWindow::endOnRequest);
    // A session that ends without closing the window still saves the settings.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &DawnbellWindow::shutDown);
    windowToSave = &window;
    const auto noLongerSaving = qScopeGuard([] { windowToSave = nullptr; });
    std::atexit(saveOnAbruptExit);

    QObject::connect(&window, &DawnbellWindow::startUpEnded, &window, [&window, &watch] {
        if (const QScreen *screen = window.screen()) {
            QRect frame = window.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window.move(frame.topLeft());
        }
        window.show();
        watch.watchWindow(&window);
    });
    if (!window.start())
        return 0;
    return app.exec();
}
