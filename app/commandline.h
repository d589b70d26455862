#pragma once

#include <QtCore/QCommandLineParser>
#include <QtCore/QString>
#include <QtCore/QStringList>

// What the panel was asked to do on its command line. Parsing needs no application object,
// so --help, --version and a mistake are answered before anything opens a display, touches
// the settings file or connects.
class CommandLine
{
public:
    enum class Action { Run, Help, FullHelp, Version, Error };

    CommandLine();

    // Parses the program's arguments, the program's name first.
    void parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The folder to run in, keeping its setupdata.ini; empty to stay in the current folder.
    QString folder() const { return m_folder; }
    // Whether the folder is the user's configuration folder, as in a start from the menu,
    // where no terminal shows what the panel prints.
    bool inUserConfig() const { return m_inUserConfig; }
    QString errorText() const { return m_error; }
    // The options, with the toolkit's own ones after a --help-all. Needs the application
    // object for the program's name.
    QString helpText() const;

    // The user's configuration folder for the panel: $XDG_CONFIG_HOME/dawnbell on Linux.
    static QString userConfigFolder();

private:
    enum class ToolkitOptions { Hidden, Shown };
    void describe(QCommandLineParser &parser, ToolkitOptions toolkitOptions) const;

    QCommandLineParser m_parser;
    QCommandLineOption m_folderOption;
    QCommandLineOption m_userConfigOption;
    Action m_action = Action::Run;
    QString m_folder;
    bool m_inUserConfig = false;
    QString m_error;
};
