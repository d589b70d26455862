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
    enum class Action { Run, Help, Version, Error };

    CommandLine();

    // Parses the program's arguments, the program's name first.
    void parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The folder to run in, keeping its setupdata.ini; empty to stay in the current folder.
    QString folder() const { return m_folder; }
    QString errorText() const { return m_error; }
    // Needs the application object for the program's name.
    QString helpText() const { return m_parser.helpText(); }

    // The user's configuration folder for the panel: $XDG_CONFIG_HOME/dawnbell on Linux.
    static QString userConfigFolder();

private:
    QCommandLineParser m_parser;
    QCommandLineOption m_folderOption;
    QCommandLineOption m_userConfigOption;
    Action m_action = Action::Run;
    QString m_folder;
    QString m_error;
};
