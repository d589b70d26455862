#include "networkclocksearch.h"

#include "modulewords.h"

NetworkClockSearch::NetworkClockSearch(QObject *parent)
    : ClockSearch(parent)
{
    connect(&m_finder, &ModuleFinder::moduleFound, this, &NetworkClockSearch::report);
    connect(&m_finder, &ModuleFinder::finished, this, [this] {
        emit finished({m_finder.errorString(), m_finder.isListFull()});
    });
}

void NetworkClockSearch::start(const QString &searchId)
{
    // A search ID no module can hold asks nobody; the dialog hears the search end at once.
    if (!m_finder.find(ModuleFinder::everywhere(), searchId))
        emit finished({tr("No clock can hold that search ID."), false});
}

void NetworkClockSearch::report(const ModuleFrame::ModuleInfo &module)
{
    FoundClock clock;
    clock.mac = ModuleFrame::macText(module.mac);
    clock.host = module.address;
    clock.reportedHost = module.reportedAddress;
    clock.port = module.dataPort.value_or(0);
    clock.name = module.name;
    clock.status = ModuleWords::statusText(module.status);
    clock.mode = ModuleWords::modeText(module.mode);
    clock.firmware = module.firmware;
    clock.obstacle = ModuleWords::obstacleText(ModuleWords::obstacleOf(module));
    emit clockFound(clock);
}
