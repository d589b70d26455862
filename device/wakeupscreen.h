#pragma once

#include <QtCore/QObject>

#include <optional>

namespace Device {
Q_NAMESPACE

// The screens the clock shows when its alarm rings or it is tested, by their codes. A code is
// also the digit of the screen's one-byte command and the number the settings file keeps, so
// the panel, the file and the clock all name a screen by the same value.
enum class WakeUpScreen {
    Screen1 = 5,
    Screen2 = 6,
    Screen3 = 7,
};
Q_ENUM_NS(WakeUpScreen)

inline constexpr int ScreenCount = 3;
inline constexpr int FirstScreenCode = int(WakeUpScreen::Screen1);
inline constexpr int LastScreenCode = int(WakeUpScreen::Screen3);
static_assert(LastScreenCode - FirstScreenCode + 1 == ScreenCount);

// The screen's place from 1, as its caption "Screen n" and the clock's face count it.
constexpr int screenNumber(WakeUpScreen screen)
{
    return int(screen) - FirstScreenCode + 1;
}

// The screen with this code; nothing for a number that is no screen's code.
constexpr std::optional<WakeUpScreen> wakeUpScreenOf(qint64 code)
{
    if (code < FirstScreenCode || code > LastScreenCode)
        return std::nullopt;
    return WakeUpScreen(code);
}

// The screen in place `number` from 1; nothing outside 1 to ScreenCount.
constexpr std::optional<WakeUpScreen> wakeUpScreenNumbered(qint64 number)
{
    return number < 1 || number > ScreenCount ? std::nullopt
                                              : wakeUpScreenOf(FirstScreenCode + number - 1);
}

} // namespace Device
