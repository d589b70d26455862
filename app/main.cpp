#include "dawnbellwindow.h"
#include "link/tcplinksocket.h"
#include "settings/settingsfile.h"
#include "systemplatform.h"

#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

int main(int argc, char *argv[])
{
    SystemPlatform::prepareProcess();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(DawnbellWindow::Title);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    QCoreApplication::setOrganizationName(QStringLiteral("Company"));

    SystemPlatform platform;
    TcpLinkSocket socket;
    DawnbellWindow window(socket, platform, QString::fromLatin1(SettingsFile::FileName));

    if (!window.Form_Load())
        return 0;

    // A session that ends without closing the window still saves the settings.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window,
                     &DawnbellWindow::Form_Terminate);

    if (const QScreen *screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return app.exec();
}
