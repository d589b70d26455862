#include "linklamp.h"

#include "commands.h"
#include "lampshape.h"
#include "modulewords.h"
#include "settingsrecord.h"

#include <QtNetwork/QHostAddress>

namespace {

QString dropReasonText(DeviceLink::DropReason reason)
{
    switch (reason) {
    case DeviceLink::DropReason::NotConnected:
        return LinkLamp::tr("there was no connection to the module");
    case DeviceLink::DropReason::ConnectFailed:
        return LinkLamp::tr("the connection to the module had failed");
    case DeviceLink::DropReason::ClosedByDevice:
        return LinkLamp::tr("the module closed the connection");
    case DeviceLink::DropReason::ResetByDevice:
        return LinkLamp::tr("the module reset the connection");
    case DeviceLink::DropReason::Connecting:
        return LinkLamp::tr("the connection was still being made");
    case DeviceLink::DropReason::QueueFull:
        return LinkLamp::tr("the module is not taking commands");
    case DeviceLink::DropReason::WriteFailed:
        return LinkLamp::tr("the connection refused it");
    }
    return {};
}

} // namespace

LinkLamp::LinkLamp(DeviceLink &link, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_colour(LampColour::Black)
{
    connect(&m_link, &DeviceLink::connectionWaitEnded, this, &LinkLamp::showWaitEnded);
    connect(&m_link, &DeviceLink::stateChanged, this, &LinkLamp::showLinkState);
    connect(&m_link, &DeviceLink::commandDropped, this, &LinkLamp::showCommandDropped);
    connect(&m_link, &DeviceLink::takingCommandsChanged, this, &LinkLamp::showTakingCommands);
    connect(&m_probe, &ModuleFinder::moduleFound, this, &LinkLamp::takeModuleAnswer);
    connect(&m_probe, &ModuleFinder::finished, this, [this] {
        if (!m_moduleAnswered)
            addModuleAccount(ModuleWords::noAnswerText(m_askedModule.toString()));
    });
}

QColor LinkLamp::afterConnectRun(const QColor &current, bool connected)
{
    if (!connected)
        return LampColour::Red;
    return current == LampColour::Green ? LampColour::Yellow : LampColour::Green;
}

void LinkLamp::showWaitEnded(bool connected)
{
    if (m_frozen)
        return;
    show(afterConnectRun(m_colour, connected),
         connected ? connectedWords()
                   : notConnectedWords(tr("no connection to %1").arg(endpointText())));
    if (!connected && m_asksModule)
        askModule();
}

QString LinkLamp::toolTip() const
{
    return m_colour == LampColour::Red ? m_words + QStringLiteral(". ") + findClocksHint()
                                       : m_words;
}

QString LinkLamp::connectedWords() const
{
    return tr("Connected to %1").arg(endpointText());
}

QString LinkLamp::notConnectedWords(const QString &why)
{
    return tr("Not connected: %1").arg(why);
}

QString LinkLamp::endpointText() const
{
    // A name is shown as the host box shows the saved one: in its own script.
    return Settings::endpointText(Settings::shownHost(m_link.remoteHost()), m_link.remotePort());
}

void LinkLamp::showLinkState(LinkState state)
{
    if (!m_followsLink || m_frozen)
        return;
    switch (state) {
    case LinkState::Connected:
        show(LampColour::Green, connectedWords());
        break;
    case LinkState::ClosedByPeer:
        show(LampColour::Red,
             notConnectedWords(dropReasonText(m_link.closedByReset()
                                                      ? DeviceLink::DropReason::ResetByDevice
                                                      : DeviceLink::DropReason::ClosedByDevice)));
        askModule();
        break;
    case LinkState::Error:
        show(LampColour::Red,
             notConnectedWords(tr("the connection to %1 failed").arg(endpointText())));
        askModule();
        break;
    default:
        break;
    }
}

void LinkLamp::showCommandDropped(const QByteArray &command, DeviceLink::DropReason reason)
{
    if (!m_followsLink || m_frozen || command.isEmpty())
        return;
    const char code = command.at(0);
    show(LampColour::Red,
         notConnectedWords(tr("“%1” (%2) was not sent: %3")
                                   .arg(QString(QLatin1Char(code)), Protocol::purposeOf(code),
                                        dropReasonText(reason))));
}

void LinkLamp::showTakingCommands(bool taking)
{
    if (!m_followsLink || m_frozen)
        return;
    if (taking)
        show(LampColour::Green, connectedWords());
    else
        show(LampColour::Red,
             tr("Connected to %1, but the module has taken nothing sent for %2 seconds")
                     .arg(endpointText())
                     .arg(DeviceLink::StalledAfterMs / 1000));
}

void LinkLamp::askModule()
{
    // The module's own account needs its address; a host name is not looked up for it.
    const QHostAddress module(m_link.remoteHost());
    if (module.isNull())
        return;
    m_askedModule = module;
    m_moduleAnswered = false;
    // Only the module at the endpoint speaks for it: an answer from another that hears the
    // question (a simulator listening on every loopback address, say) does not count.
    m_probe.ask(module);
}

// The module's data port is compared with the one the link uses: a module that serves on
// another is the reason whatever else it says.
void LinkLamp::takeModuleAnswer(const ModuleFrame::ModuleInfo &module)
{
    if (m_moduleAnswered)
        return;
    m_moduleAnswered = true;
    addModuleAccount(
            ModuleWords::moduleSentence(m_askedModule.toString(), module, m_link.remotePort()));
}

void LinkLamp::addModuleAccount(const QString &account)
{
    if (m_frozen || m_colour != LampColour::Red)
        return; // the link came up meanwhile: the lamp's words are current
    // The account is a sentence of its own after the lamp's words.
    const QString sentence = account.left(1).toUpper() + account.mid(1);
    show(LampColour::Red, m_words + QStringLiteral(". ") + sentence);
}

void LinkLamp::show(const QColor &colour, const QString &words)
{
    m_colour = colour;
    m_words = words;
    emit changed();
}
