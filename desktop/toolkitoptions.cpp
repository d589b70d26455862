#include "toolkitoptions.h"

#include <QtCore/QString>

namespace Toolkit {

namespace {

struct Described
{
    const char *name;
    const char *valueName; // nullptr for a flag
    const char *description;
};

// As QGuiApplication, QApplication and the X11 plugin read them; the X11 ones mean nothing
// elsewhere and are taken there all the same, as the toolkit itself takes them.
const Described Options[] = {
        {"platform", "name[:options]",
         "The window system plugin: xcb (X11), wayland, offscreen, ...; several, separated by "
         "';', are tried in turn."},
        {"platformpluginpath", "folder", "Also look for window system plugins in <folder>."},
        {"platformtheme", "name", "The platform theme (dialogs, icons, fonts)."},
        {"plugin", "name", "Also load the input plugin <name> (evdevmouse, tslib, ...)."},
        {"qwindowgeometry", "geometry", "Place the window, as WIDTHxHEIGHT+X+Y or +X+Y."},
        {"qwindowicon", "file", "The window's icon."},
        {"qwindowtitle", "title", "The window's title."},
        {"reverse", nullptr, "Lay widgets out right to left where the program allows it."},
        {"session", "id", "Restore the desktop session <id>."},
        {"style", "name", "The widget style (Fusion, Windows, ...)."},
        {"stylesheet", "file", "A style sheet for the widgets."},
        {"widgetcount", nullptr, "At the end, print how many widgets were left."},
        {"display", "display", "X11: the display to open instead of $DISPLAY."},
        {"geometry", "geometry", "X11: the same as -qwindowgeometry."},
        {"title", "title", "X11: the same as -qwindowtitle."},
        {"icon", "file", "X11: the same as -qwindowicon."},
        {"name", "name", "X11: the program's resource name."},
        {"visual", "id", "X11: the visual to draw with."},
        {"nograb", nullptr, "X11: never grab the mouse or the keyboard."},
        {"dograb", nullptr, "X11: grab them even under a debugger."},
};

} // namespace

QList<QCommandLineOption> options(Visibility visibility)
{
    QList<QCommandLineOption> list;
    for (const Described &described : Options) {
        QCommandLineOption option(QLatin1String(described.name),
                                  QLatin1String(described.description),
                                  QLatin1String(described.valueName));
        if (visibility == Visibility::Hidden)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        list.append(option);
    }
    return list;
}

} // namespace Toolkit
