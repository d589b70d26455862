#include "programvoice.h"

#include "standardstreams.h"

#include <QtCore/QByteArray>
#include <QtCore/QCommandLineParser>
#include <QtCore/QCoreApplication>
#include <QtCore/QtGlobal>

#include <cstdio>

namespace Console {

namespace {

QByteArray programName = QByteArrayLiteral("dawnbell");

// The program's own logging categories are all named "dawnbell.*"; their rules decide what
// reaches this handler at all.
bool isOwnCategory(const char *category)
{
    return category && qstrncmp(category, "dawnbell.", 9) == 0;
}

void logLine(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool own = isOwnCategory(context.category);
    // The toolkit's warnings (a runtime folder it would have liked, a font it replaced) are
    // nothing a user can act on; they show when QT_LOGGING_RULES asks for diagnostics.
    // Critical and fatal messages always show: the program is about to fail.
    if (!own && type != QtCriticalMsg && type != QtFatalMsg
        && qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
        return;
    }
    // Warnings are told as the program's own words; diagnostics, which someone asked for by
    // category, keep the category's name so that they can be told apart.
    const bool diagnostic = type == QtDebugMsg || type == QtInfoMsg;
    if (own && !diagnostic)
        tell(text);
    else if (own)
        tell(QLatin1String(context.category + 9) + QStringLiteral(": ") + text);
    else
        tell(QLatin1String(context.category ? context.category : "qt") + QStringLiteral(": ")
             + text);
}

} // namespace

void speakAs(const char *program)
{
    programName = program;
    StandardStreams::holdClosedOnes();
    qInstallMessageHandler(logLine);
}

void tell(const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", programName.constData(), text.toLocal8Bit().constData());
}

int badUsage(const QString &mistake)
{
    QString line = mistake;
    if (line.endsWith(u'.'))
        line.chop(1);
    if (!line.isEmpty())
        line[0] = line.at(0).toLower();
    tell(QCoreApplication::translate("Console", "%1 (see --help)").arg(line));
    return 2;
}

QString versionLine(const char *version)
{
    return QStringLiteral("%1 %2\n").arg(QLatin1String(programName), QLatin1String(version));
}

QString helpText(const QCommandLineParser &parser)
{
    const QString text = parser.helpText();
    if (!QCoreApplication::instance())
        return text;
    // The parser names the program by the path it was started by, which says little once
    // it is installed and is long in a build folder.
    const QString usage = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
    if (!text.startsWith(usage))
        return text;
    return QStringLiteral("Usage: ") + QLatin1String(programName) + text.mid(usage.size());
}

} // namespace Console
