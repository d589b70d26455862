#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

// A clock's module as the search dialog lists it, already in words.
struct FoundClock
{
    QString mac;          // tells modules apart
    QString host;         // where its answer came from
    QString reportedHost; // the address it gives itself; shown beside host when they differ
    quint16 port = 0;     // its data port; 0 when it did not say
    QString name;
    QString status;
    QString mode;
    QString firmware;
    QString obstacle; // why it cannot serve the panel; empty when it can
};

// How a search ended, beyond the clocks it found.
struct SearchEnd
{
    QString error;         // why no search went out; empty when one did
    bool listFull = false; // more clocks answered than were listed
};

// A search for clocks on the network, as the dialog needs it. The window's side provides it
// from the module finder, so that ui/ stays free of the socket layer.
class ClockSearch : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts a new search, dropping one that runs; clockFound() follows for each clock that
    // answers, then finished() once.
    virtual void start(const QString &searchId) = 0;

signals:
    void clockFound(const FoundClock &clock);
    void finished(const SearchEnd &end);
};
