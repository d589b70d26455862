#include "toolkitoptions.h"

#include <QtCore/QCoreApplication>
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
         QT_TRANSLATE_NOOP("Toolkit",
                           "The window system plugin: xcb (X11), wayland, offscreen, ...; "
                           "several, separated by ';', are tried in turn.")},
        {"platformpluginpath", "folder",
         QT_TRANSLATE_NOOP("Toolkit", "Also look for window system plugins in <folder>.")},
        {"platformtheme", "name",
         QT_TRANSLATE_NOOP("Toolkit", "The platform theme (dialogs, icons, fonts).")},
        {"plugin", "name",
         QT_TRANSLATE_NOOP("Toolkit",
                           "Also load the input plugin <name> (evdevmouse, tslib, ...).")},
        {"qwindowgeometry", "geometry",
         QT_TRANSLATE_NOOP("Toolkit", "Place the window, as WIDTHxHEIGHT+X+Y or +X+Y.")},
        {"qwindowicon", "file", QT_TRANSLATE_NOOP("Toolkit", "The window's icon.")},
        {"qwindowtitle", "title", QT_TRANSLATE_NOOP("Toolkit", "The window's title.")},
        {"reverse", nullptr,
         QT_TRANSLATE_NOOP("Toolkit",
                           "Lay widgets out right to left where the program allows it.")},
        {"session", "id", QT_TRANSLATE_NOOP("Toolkit", "Restore the desktop session <id>.")},
        {"style", "name", QT_TRANSLATE_NOOP("Toolkit", "The widget style (Fusion, Windows, ...).")},
        {"stylesheet", "file", QT_TRANSLATE_NOOP("Toolkit", "A style sheet for the widgets.")},
        {"widgetcount", nullptr,
         QT_TRANSLATE_NOOP("Toolkit", "At the end, print how many widgets were left.")},
        {"display", "display",
         QT_TRANSLATE_NOOP("Toolkit", "X11: the display to open instead of $DISPLAY.")},
        {"geometry", "geometry",
         QT_TRANSLATE_NOOP("Toolkit", "X11: the same as -qwindowgeometry.")},
        {"title", "title", QT_TRANSLATE_NOOP("Toolkit", "X11: the same as -qwindowtitle.")},
        {"icon", "file", QT_TRANSLATE_NOOP("Toolkit", "X11: the same as -qwindowicon.")},
        {"name", "name", QT_TRANSLATE_NOOP("Toolkit", "X11: the program's resource name.")},
        {"visual", "id", QT_TRANSLATE_NOOP("Toolkit", "X11: the visual to draw with.")},
        {"nograb", nullptr,
         QT_TRANSLATE_NOOP("Toolkit", "X11: never grab the mouse or the keyboard.")},
        {"dograb", nullptr, QT_TRANSLATE_NOOP("Toolkit", "X11: grab them even under a debugger.")},
};

} // namespace

QList<QCommandLineOption> options(Visibility visibility)
{
    QList<QCommandLineOption> list;
    for (const Described &described : Options) {
        QCommandLineOption option(QLatin1String(described.name),
                                  QCoreApplication::translate("Toolkit", described.description),
                                  QLatin1String(described.valueName));
        if (visibility == Visibility::Hidden)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        list.append(option);
    }
    return list;
}

} // namespace Toolkit
