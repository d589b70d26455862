#pragma once

#include <QtCore/QString>

class QCommandLineParser;

// How every Dawnbell program speaks on its terminal: each line on stderr begins with the
// program's own name, whichever part of the program has something to say, so that a line in
// a terminal or a journal tells which program wrote it.
namespace Console {

// Names the program for every later line on stderr, and sends the program's logging through
// the same voice. Called first thing in main, before the toolkit opens any file.
void speakAs(const char *program);

// One line on stderr: the program's name, then `text`.
void tell(const QString &text);

// A mistake on the command line, told in one line with where to read on; returns exit
// status 2.
int badUsage(const QString &mistake);

// What --version prints: the program's name and `version`, on one line.
QString versionLine(const char *version);

// The parser's help, with the program's name in its usage line instead of the path it was
// started by.
QString helpText(const QCommandLineParser &parser);

} // namespace Console
