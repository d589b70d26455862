#include "commandline.h"

#include "systemplatform.h"

#include <QtCore/QDir>

namespace {

// Options that QGuiApplication and QApplication take for themselves; they are theirs to
// use, not mistakes.
const char *const ToolkitValueOptions[]
        = {"platform",    "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry",
           "qwindowicon", "qwindowtitle",       "style",         "stylesheet", "session",
           "display",     "geometry",           "title",         "name",       "visual",
           "im"};
const char *const ToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

CommandLine::CommandLine()
    : m_folderOption({QStringLiteral("C"), QStringLiteral("directory")},
                     QStringLiteral("Run in <folder>, creating it if it is missing; the panel "
                                    "keeps setupdata.ini there. Without it, the current "
                                    "folder."),
                     QStringLiteral("folder"))
    , m_userConfigOption(QStringLiteral("user-config"),
                         QStringLiteral("Run in the user's configuration folder, %1, as the "
                                        "desktop entry does.")
                                 .arg(QDir::toNativeSeparators(userConfigFolder())))
{
    m_parser.setApplicationDescription(QStringLiteral(
            "Control panel for a networked bedside clock behind a WIZ750SR module."));
    // Toolkit options are single-dash words such as -reverse.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOption(m_folderOption);
    m_parser.addOption(m_userConfigOption);
    for (const char *name : ToolkitValueOptions) {
        QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    for (const char *name : ToolkitFlags) {
        QCommandLineOption option{QLatin1String(name)};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
}

void CommandLine::parse(const QStringList &arguments)
{
    m_action = Action::Error;
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return;
    }
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all"))) {
        m_action = Action::Help;
        return;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        m_action = Action::Version;
        return;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QStringLiteral("Unexpected argument '%1'.")
                          .arg(m_parser.positionalArguments().constFirst());
        return;
    }
    if (m_parser.isSet(m_folderOption) && m_parser.isSet(m_userConfigOption)) {
        m_error = QStringLiteral("Give either --directory or --user-config, not both.");
        return;
    }
    m_folder = m_parser.isSet(m_folderOption) ? m_parser.value(m_folderOption) : QString();
    m_inUserConfig = m_parser.isSet(m_userConfigOption);
    if (m_inUserConfig)
        m_folder = userConfigFolder();
    m_action = Action::Run;
}

QString CommandLine::toolkitValue(const char *name) const
{
    return m_parser.value(QLatin1String(name));
}

QString CommandLine::userConfigFolder()
{
    return QDir(SystemPlatform::configHome()).filePath(QStringLiteral("dawnbell"));
}
