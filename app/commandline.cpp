#include "commandline.h"

#include "programvoice.h"
#include "systemplatform.h"
#include "toolkitoptions.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>

CommandLine::CommandLine()
    : m_folderOption(
            {QStringLiteral("C"), QStringLiteral("directory")},
            QCoreApplication::translate("CommandLine",
                                        "Run in <folder>, creating it if it is missing; the panel "
                                        "keeps setupdata.ini there. Without it, the current "
                                        "folder."),
            QStringLiteral("folder"))
    , m_userConfigOption(
              QStringLiteral("user-config"),
              QCoreApplication::translate("CommandLine",
                                          "Run in the user's configuration folder, %1, as the "
                                          "desktop entry does.")
                      .arg(QDir::toNativeSeparators(userConfigFolder())))
{
    describe(m_parser, ToolkitOptions::Hidden);
}

// The toolkit's options are known to every parser, so they are never mistakes; only --help-all
// lists them.
void CommandLine::describe(QCommandLineParser &parser, ToolkitOptions toolkitOptions) const
{
    parser.setApplicationDescription(QCoreApplication::translate(
            "CommandLine",
            "Control panel for a networked bedside clock behind a WIZ750SR module."));
    // Toolkit options are single-dash words such as -reverse.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(m_folderOption);
    parser.addOption(m_userConfigOption);
    parser.addOptions(Toolkit::options(toolkitOptions == ToolkitOptions::Shown
                                               ? Toolkit::Visibility::Shown
                                               : Toolkit::Visibility::Hidden));
}

void CommandLine::parse(const QStringList &arguments)
{
    m_action = Action::Error;
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return;
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        m_action = Action::Help;
        return;
    }
    if (m_parser.isSet(QStringLiteral("help-all"))) {
        m_action = Action::FullHelp;
        return;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        m_action = Action::Version;
        return;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QCoreApplication::translate("CommandLine", "unexpected argument '%1'")
                          .arg(m_parser.positionalArguments().constFirst());
        return;
    }
    if (m_parser.isSet(m_folderOption) && m_parser.isSet(m_userConfigOption)) {
        m_error = QCoreApplication::translate("CommandLine",
                                              "give either --directory or --user-config, not both");
        return;
    }
    m_folder = m_parser.isSet(m_folderOption) ? m_parser.value(m_folderOption) : QString();
    m_inUserConfig = m_parser.isSet(m_userConfigOption);
    if (m_inUserConfig)
        m_folder = userConfigFolder();
    m_action = Action::Run;
}

QString CommandLine::helpText() const
{
    if (m_action != Action::FullHelp)
        return Console::helpText(m_parser);
    QCommandLineParser full;
    describe(full, ToolkitOptions::Shown);
    return Console::helpText(full);
}

QString CommandLine::userConfigFolder()
{
    return QDir(SystemPlatform::configHome()).filePath(QStringLiteral("dawnbell"));
}
