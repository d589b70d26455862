#include "displaycheck.h"

#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#ifdef DAWNBELL_HAVE_XCB
#    include <xcb/xcb.h>
#endif

namespace {

// The value of the toolkit's option `name` the way the toolkit reads it: "-name VALUE" or
// "--name VALUE", the last one counting.
QString toolkitValue(const QStringList &arguments, QStringView name)
{
    QString value;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        QStringView argument = arguments.at(i);
        if (argument.startsWith(u"--"))
            argument = argument.mid(1);
        if (argument.startsWith(u'-') && argument.mid(1) == name)
            value = arguments.at(++i);
    }
    return value;
}

#ifdef DAWNBELL_HAVE_XCB
QString xcbReason(int error)
{
    switch (error) {
    case XCB_CONN_ERROR:
        return QCoreApplication::translate(
                "DisplayCheck", "no X server answers there, or it refused the connection");
    case XCB_CONN_CLOSED_PARSE_ERR:
        return QCoreApplication::translate("DisplayCheck", "that is no display name");
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return QCoreApplication::translate("DisplayCheck", "it has no such screen");
    }
    return QCoreApplication::translate("DisplayCheck", "the connection failed (xcb error %1)")
            .arg(error);
}
#endif

// Opens the X display as the toolkit would, and closes it again.
QString xProblem(const QString &displayOption)
{
    const QByteArray name = displayOption.isEmpty() ? qgetenv("DISPLAY")
                                                    : displayOption.toLocal8Bit();
    if (name.isEmpty())
        return QCoreApplication::translate("DisplayCheck",
                                           "no display to open the window on: DISPLAY is not set");
#ifdef DAWNBELL_HAVE_XCB
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error != 0) {
        return QCoreApplication::translate("DisplayCheck", "cannot open the display %1: %2")
                .arg(QString::fromLocal8Bit(name), xcbReason(error));
    }
#endif
    return {};
}

// Connects to the Wayland compositor's socket, where the toolkit would, and leaves again.
QString waylandProblem()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return {}; // a connection handed over by the compositor itself
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    QString path = name;
    if (!QDir::isAbsolutePath(name)) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) {
            return QCoreApplication::translate(
                           "DisplayCheck",
                           "cannot reach the Wayland display %1: XDG_RUNTIME_DIR is not set")
                    .arg(name);
        }
        path = QDir(runtime).filePath(name);
    }
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    if (size_t(encoded.size()) >= sizeof(address.sun_path))
        return QCoreApplication::translate(
                       "DisplayCheck", "cannot reach the Wayland display %1: its path is too long")
                .arg(name);
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected = fd >= 0
            && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (connected)
        return {};
    return QCoreApplication::translate("DisplayCheck", "cannot reach the Wayland display %1: %2")
            .arg(name, qt_error_string(error));
}

} // namespace

QString unreachableDisplay(const QStringList &arguments)
{
    const QString displayOption = toolkitValue(arguments, u"display");
    QString platforms = toolkitValue(arguments, u"platform");
    if (platforms.isEmpty())
        platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    QStringList candidates = platforms.split(u';', Qt::SkipEmptyParts);
    if (candidates.isEmpty()) {
        // With no platform named the toolkit takes X or Wayland, whichever the session offers.
        if (!displayOption.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY"))
            candidates << QStringLiteral("xcb");
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            candidates << QStringLiteral("wayland");
        if (candidates.isEmpty()) {
            return QCoreApplication::translate(
                    "DisplayCheck",
                    "no display to open the window on: neither DISPLAY nor "
                    "WAYLAND_DISPLAY is set");
        }
    }
    // The toolkit tries the platforms in turn and aborts only when none of them opens.
    QStringList problems;
    for (const QString &candidate : std::as_const(candidates)) {
        QString problem;
        if (candidate.startsWith(u"xcb"))
            problem = xProblem(displayOption);
        else if (candidate.startsWith(u"wayland"))
            problem = waylandProblem();
        if (problem.isEmpty())
            return {}; // it answers, or it is a platform without a display server
        problems << problem;
    }
    return problems.join(QStringLiteral("; "));
}
