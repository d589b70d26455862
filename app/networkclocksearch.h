#pragma once

#include "clocksearch.h"
#include "modulefinder.h"

// The search the find-clocks dialog runs: every network this PC is on, through the module
// finder, with each answer put into words. It leaves the machine, so it runs only when the
// user asks for it in the dialog.
class NetworkClockSearch : public ClockSearch
{
    Q_OBJECT

public:
    explicit NetworkClockSearch(QObject *parent = nullptr);

    void start(const QString &searchId) override;

private:
    void report(const ModuleFrame::ModuleInfo &module);

    ModuleFinder m_finder;
};
