#include "settingsview.h"

#include "settingsrecord.h"

#include "deviceconstants.h"

std::optional<Selection> selectionFor(const SetupData &record)
{
    const std::optional<int> button = Settings::alarmButtonOf(record.AlarmTrack);
    const std::optional<double> scheme = record.BackGrounds.toNumber();
    const std::optional<double> screen = record.WakeUpScreens.toNumber();
    const std::optional<double> announce = record.AnnounceHourly.toNumber();
    if (!button || !scheme || !screen || !announce)
        return std::nullopt;

    // Each group takes the first of its numbers that the field equals, as the loader's
    // comparisons run in that order.
    Selection selection;
    selection.optionIndex = *button;
    for (int number = 1; number <= Device::SchemeCount && selection.backGround == 0; ++number) {
        if (*scheme == number)
            selection.backGround = number;
    }
    for (int code = Device::FirstScreenCode;
         code <= Device::LastScreenCode && selection.wakeUpScreen == 0; ++code) {
        if (*screen == code)
            selection.wakeUpScreen = code;
    }
    selection.announceHourly = *announce == 1;
    return selection;
}
