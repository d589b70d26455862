#pragma once

#include "devicelink.h"
#include "linkstate.h"
#include "modulefinder.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtGui/QColor>
#include <QtNetwork/QHostAddress>

// The connection lamp's state: its colour and the words that explain it, worked out from what
// the link reports. The lamp widget only shows what this tells it.
class LinkLamp : public QObject
{
    Q_OBJECT

public:
    explicit LinkLamp(DeviceLink &link, QObject *parent = nullptr);

    QColor colour() const { return m_colour; }
    QString words() const { return m_words; }
    // The endpoint the link uses, as the lamp names it: "bü:5000", "[::1]:5000".
    QString endpointText() const;
    // The words as the lamp tells them: a red lamp's end with where to find clocks, as
    // nothing else in the window points to the search.
    QString toolTip() const;
    QString accessibleName() const { return tr("Connection lamp: %1").arg(toolTip()); }
    static QString findClocksHint()
    {
        return tr("Right-click the host box to find clocks on the network");
    }

    // From now on the link's endpoint is the one the user saved, so a failed connection asks
    // the module there about itself; the built-in endpoint's module is none of the user's.
    void askModuleOnFailure() { m_asksModule = true; }
    // The start-up has ended: from now on the lamp follows every change of the link and every
    // dropped command, not only the ends of the connection waits.
    void followLink() { m_followsLink = true; }
    // The panel is ending: nothing changes the lamp any more.
    void freeze() { m_frozen = true; }
    // Whether the module at the endpoint is being asked about itself.
    bool isAskingModule() const { return m_probe.isSearching(); }

    // The lamp after a connection run: red when the link did not come up; when it did, green,
    // or yellow if it was green already, so that a second success in a row shows as a change.
    static QColor afterConnectRun(const QColor &current, bool connected);

signals:
    void changed();

private:
    void showWaitEnded(bool connected);
    void showLinkState(LinkState state);
    void showCommandDropped(const QByteArray &command, DeviceLink::DropReason reason);
    void showTakingCommands(bool taking);
    // After a failed connection the module is asked about itself on its command port, and
    // what it says (or that nothing answered) follows the lamp's words.
    void askModule();
    void takeModuleAnswer(const ModuleFrame::ModuleInfo &module);
    void addModuleAccount(const QString &account);
    void show(const QColor &colour, const QString &words);
    QString connectedWords() const;
    static QString notConnectedWords(const QString &why);

    DeviceLink &m_link;
    ModuleFinder m_probe;
    QHostAddress m_askedModule;
    bool m_moduleAnswered = false;
    QColor m_colour = Qt::black;
    QString m_words;
    bool m_asksModule = false;
    bool m_followsLink = false;
    bool m_frozen = false;
};
