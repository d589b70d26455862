#include "commandline.h"
#include "dawnbellwindow.h"
#include "displaycheck.h"
#include "programvoice.h"
#include "settingsstore.h"
#include "shutdownwatch.h"
#include "standardoutput.h"
#include "systemplatform.h"
#include "tcplinksocket.h"
#include "version.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QScopeGuard>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

// Set while the window's shutdown can still save; an exit() inside the toolkit (the display
// connection lost) then saves through the hook below before the process ends.
DawnbellWindow *windowToSave = nullptr;

void saveOnAbruptExit()
{
    if (windowToSave)
        windowToSave->shutDown(DawnbellWindow::WayOut::ProcessExit);
}

void setApplicationNames()
{
    QCoreApplication::setApplicationName(DawnbellWindow::Title);
    QCoreApplication::setApplicationVersion(QLatin1String(DawnbellVersionText));
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Answers --help, --version and mistakes without a display, a settings file or a connection.
int answerWithoutStarting(const CommandLine &commandLine, int argc, char *argv[])
{
    switch (commandLine.action()) {
    case CommandLine::Action::Help:
    case CommandLine::Action::FullHelp: {
        QCoreApplication core(argc, argv); // the help text names the program
        setApplicationNames();
        return Console::printLast(commandLine.helpText());
    }
    case CommandLine::Action::Version:
        return Console::printLast(Console::versionLine(DawnbellVersionText));
    case CommandLine::Action::Error:
        return Console::badUsage(commandLine.errorText());
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}

// Makes the folder when it is missing and moves into it; the system's reason when either
// fails, else empty.
QString enterFolder(const QString &folder)
{
    const std::filesystem::path path = QFileInfo(folder).filesystemFilePath();
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error)
        std::filesystem::current_path(path, error);
    return error ? QString::fromLocal8Bit(error.message().c_str()) : QString();
}

// Moves into the folder the command line names; false, once the user is told why, when the
// panel cannot run there.
bool enterFolderOf(const CommandLine &commandLine, AppPlatform &platform)
{
    const QString folder = commandLine.folder();
    if (folder.isEmpty())
        return true;
    const QString reason = enterFolder(folder);
    if (reason.isEmpty())
        return true;
    const QString text = QCoreApplication::translate("main", "cannot run in %1: %2")
                                 .arg(QDir::toNativeSeparators(folder), reason);
    Console::tell(text);
    // Started from the menu, the panel has no terminal: the reason goes where the user looks.
    if (commandLine.inUserConfig())
        platform.showMessage(MessageKind::Critical, DawnbellWindow::Title,
                             QStringLiteral("Dawnbell ") + text);
    return false;
}

// A folder that takes no settings file loses every choice of the session at its end, so the
// user hears of it before making any: at once on stderr, and once the window is up in a
// message when the panel was started from the menu, which shows no terminal.
void warnIfSettingsCannotBeSaved(const CommandLine &commandLine, DawnbellWindow &window)
{
    const QString problem = Settings::saveProblem(QString::fromLatin1(Settings::FileName));
    if (problem.isEmpty())
        return;
    const QString text
            = QCoreApplication::translate("main",
                                          "%1 cannot be saved in %2 (%3); the choices made in this "
                                          "session will be lost")
                      .arg(QLatin1String(Settings::FileName),
                           QDir::toNativeSeparators(QDir::currentPath()), problem);
    Console::tell(QCoreApplication::translate("main", "warning: %1").arg(text));
    if (commandLine.inUserConfig())
        window.tellOnceStarted(text + u'.');
}

} // namespace

int main(int argc, char *argv[])
{
    SystemPlatform::prepareProcess();
    Console::speakAs("dawnbell");
    const QStringList arguments = argumentsOf(argc, argv);
    CommandLine commandLine;
    commandLine.parse(arguments);
    if (commandLine.action() != CommandLine::Action::Run)
        return answerWithoutStarting(commandLine, argc, argv);
    // Without a display the toolkit would abort with a core dump; one line says it instead.
    if (const QString unreachable = unreachableDisplay(arguments); !unreachable.isEmpty()) {
        Console::tell(unreachable);
        return 1;
    }

    QApplication app(argc, argv);
    setApplicationNames();
    QGuiApplication::setDesktopFileName(QStringLiteral("dawnbell"));

    SystemPlatform platform;
    if (!enterFolderOf(commandLine, platform))
        return 1;

    TcpLinkSocket socket;
    DawnbellWindow window(socket, platform, QString::fromLatin1(Settings::FileName));
    warnIfSettingsCannotBeSaved(commandLine, window);

    ShutdownWatch watch;
    QObject::connect(&watch, &ShutdownWatch::endRequested, &window, [&window](const QString &why) {
        window.shutDown(DawnbellWindow::WayOut::EndRequested, why);
    });
    // A session that ends without closing the window still saves the settings.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window,
                     [&window] { window.shutDown(DawnbellWindow::WayOut::ApplicationQuit); });
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
        return window.exitStatus();
    return app.exec();
}
