#pragma once

#include "setupdata.h"

#include <optional>

// What the panel shows for a loaded record: which alarm button, scheme box and screen box are
// chosen, and whether the announcement is on.
struct Selection
{
    int optionIndex = 0;  // alarm button to select, 1 to Device::TrackCount
    int backGround = 0;   // scheme 1 to Device::SchemeCount, or 0 when it matches no scheme box
    int wakeUpScreen = 0; // screen code, or 0 when the number matches no screen box
    bool announceHourly = false;
};

// The selection a record gives, or nothing for a record the loader would not accept.
std::optional<Selection> selectionFor(const SetupData &record);
