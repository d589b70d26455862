#include "modulesearch.h"

#include "modulefinder.h"
#include "modulewords.h"
#include "programvoice.h"
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
        return fail(LinkFailed,
                    QCoreApplication::translate("ModuleSearch", "cannot send the search: %1")
                            .arg(finder.errorString()));
    if (finder.modules().isEmpty()) {
        return fail(LinkFailed,
                    search.to
                            ? ModuleWords::noAnswerText(search.to->toString())
                            : QCoreApplication::translate("Send", "no module answered the search"));
    }
    if (finder.isListFull()) {
        Console::tell(QCoreApplication::translate("ModuleSearch",
                                                  "more modules answered than the %1 listed")
                              .arg(ModuleFinder::MaxModules));
    }
    QString lines;
    if (search.tabSeparated) {
        for (const ModuleFrame::ModuleInfo &module : finder.modules())
            lines += moduleLine(module) + u'\n';
    } else {
        lines = moduleTable(finder.modules());
    }
    return Console::printLast(lines);
}

QString dataPortText(const ModuleFrame::ModuleInfo &module)
{
    return module.dataPort ? QString::number(*module.dataPort) : QStringLiteral("-");
}

} // namespace

QString moduleLine(const ModuleFrame::ModuleInfo &module)
{
    return QStringList{orDash(module.address) + u':' + dataPortText(module),
                       ModuleFrame::macText(module.mac),
                       orDash(module.name),
                       orDash(Module::statusWord(module.status)),
                       orDash(Module::modeName(module.mode)),
                       orDash(module.firmware),
                       orDash(module.reportedAddress)}
            .join(u'\t');
}

QString moduleTable(const QList<ModuleFrame::ModuleInfo> &modules)
{
    QList<QStringList> rows{{QCoreApplication::translate("Send", "ADDRESS"),
                             QCoreApplication::translate("Send", "MAC"),
                             QCoreApplication::translate("Send", "NAME"),
                             QCoreApplication::translate("Send", "MODE"),
                             QCoreApplication::translate("Send", "FIRMWARE"),
                             QCoreApplication::translate("Send", "STATE")}};
    for (const ModuleFrame::ModuleInfo &module : modules) {
        QString address = module.address + u':' + dataPortText(module);
        if (module.reportedAddress != module.address)
            address += QCoreApplication::translate("Send", " (gives %1)")
                               .arg(module.reportedAddress);
        rows.append({address, ModuleFrame::macText(module.mac), orDash(module.name),
                     ModuleWords::modeText(module.mode), orDash(module.firmware),
                     ModuleWords::readinessText(module)});
    }
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = qMax(widths[column], row[column].size());
    }
    QString table;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype column = 0; column + 1 < row.size(); ++column)
            line += row[column].leftJustified(widths[column] + 2);
        table += line + row.last() + u'\n';
    }
    return table;
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
        return fail(BadInput,
                    QCoreApplication::translate("Send", "no module can hold that search ID"));
    return QCoreApplication::exec();
}

void failWithModuleAccount(const Endpoint &endpoint, quint16 commandPort, const QString &message)
{
    auto *finder = new ModuleFinder(QCoreApplication::instance());
    finder->setCommandPort(commandPort);
    const auto failWith = [message](const QString &account) {
        QCoreApplication::exit(
                fail(LinkFailed,
                     account.isEmpty() ? message : message + QStringLiteral(". ") + account));
    };
    QObject::connect(finder, &ModuleFinder::finished, finder, [failWith] { failWith({}); });
    const quint16 port = endpoint.port;
    QHostInfo::lookupHost(endpoint.host, finder, [finder, failWith, port](const QHostInfo &info) {
        for (const QHostAddress &address : info.addresses()) {
            if (address.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            // Only the module at the address asked answers for it (ModuleFinder::ask).
            QObject::connect(
                    finder, &ModuleFinder::moduleFound, finder,
                    [finder, failWith, address, port](const ModuleFrame::ModuleInfo &module) {
                        finder->stop();
                        failWith(ModuleWords::moduleSentence(address.toString(), module, port));
                    });
            finder->ask(address);
            return;
        }
        failWith({});
    });
}

} // namespace Send
