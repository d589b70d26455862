#include "modulesearch.h"

#include "modulefinder.h"
#include "modulewords.h"
#include "sendrequest.h"
#include "standardoutput.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QLocale>
#include <QtNetwork/QHostInfo>

#include <cmath>

namespace Send {

namespace {

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

// A name from the module's facts, or "-" for an unknown value.
QString orDash(const char *name)
{
    return name ? QLatin1String(name) : QStringLiteral("-");
}

int reportFound(const ModuleFinder &finder, const Search &search)
{
    if (!finder.errorString().isEmpty())
        return fail(LinkFailed, QStringLiteral("cannot send the search: ") + finder.errorString());
    if (finder.modules().isEmpty()) {
        return fail(LinkFailed,
                    search.to ? ModuleWords::noAnswerText(search.to->toString())
                              : QStringLiteral("no module answered the search"));
    }
    QString lines;
    for (const ModuleFrame::ModuleInfo &module : finder.modules())
        lines += moduleLine(module) + u'\n';
    return Console::printLast("dawnbell-send", lines);
}

} // namespace

QString moduleLine(const ModuleFrame::ModuleInfo &module)
{
    const QString port = module.dataPort ? QString::number(*module.dataPort) : QStringLiteral("-");
    return QStringList{orDash(module.address) + u':' + port,
                       ModuleFrame::macText(module.mac),
                       orDash(module.name),
                       orDash(Module::statusWord(module.status)),
                       orDash(Module::modeName(module.mode)),
                       orDash(module.firmware)}
            .join(u'\t');
}

std::optional<int> searchWaitMs(const QString &seconds)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(seconds.trimmed(), &ok);
    const double ms = std::round(value * 1000);
    if (!ok || !(ms >= 1) || ms > MaxSearchSeconds * 1000)
        return std::nullopt;
    return int(ms);
}

int findModules(const Search &search)
{
    ModuleFinder finder;
    finder.setWaitMs(search.waitMs);
    finder.setCommandPort(search.commandPort);
    QObject::connect(&finder, &ModuleFinder::finished, &finder,
                     [&finder, &search] { QCoreApplication::exit(reportFound(finder, search)); });
    // Without --to the search goes to every network this machine is on, as the user asked.
    const QList<QHostAddress> targets = search.to ? QList<QHostAddress>{*search.to}
                                                  : ModuleFinder::everywhere();
    if (!finder.find(targets, search.searchId))
        return fail(BadInput, QStringLiteral("no module can hold that search ID"));
    return QCoreApplication::exec();
}

void failWithModuleAccount(const QString &host, quint16 commandPort, const QString &message)
{
    auto *finder = new ModuleFinder(QCoreApplication::instance());
    finder->setCommandPort(commandPort);
    const auto failWith = [message](const QString &account) {
        QCoreApplication::exit(
                fail(LinkFailed,
                     account.isEmpty() ? message : message + QStringLiteral(". ") + account));
    };
    QObject::connect(finder, &ModuleFinder::finished, finder, [failWith] { failWith({}); });
    QHostInfo::lookupHost(host, finder, [finder, failWith](const QHostInfo &info) {
        for (const QHostAddress &address : info.addresses()) {
            if (address.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            QObject::connect(finder, &ModuleFinder::moduleFound, finder,
                             [finder, failWith, address](const ModuleFrame::ModuleInfo &module) {
                                 finder->stop();
                                 failWith(ModuleWords::moduleSentence(address.toString(), module));
                             });
            finder->find({address});
            return;
        }
        failWith({});
    });
}

} // namespace Send
