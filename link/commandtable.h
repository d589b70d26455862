#pragma once

#include <QtCore/QtGlobal>

// Every command the clock understands, one row each. The encoder, the decoder, the log's words,
// dawnbell-send's words and the simulated clock all read these rows, so a new command is one
// new row here.
namespace Protocol {

// How a field after the command character is written; every field follows a comma.
enum class FieldEncoding {
    TwoDigits,        // "07": a calendar value, with a leading zero below 10
    BlankSigned,      // " 5", "-3": decimal, one blank before a value that is not negative
    Flag,             // "1" or "2"
    LiteralZero,      // "0"
    LiteralBlankZero, // " 0"
};

// The encodings of a command's fields, in order.
struct FieldLayout
{
    const FieldEncoding *encodings = nullptr;
    int count = 0;
};

template<int N>
constexpr FieldLayout layoutOf(const FieldEncoding (&encodings)[N])
{
    return {encodings, N};
}

// What a command asks of the clock; each command without a choice has its own, by which the
// panel's handlers send it and the simulated clock acts on it.
enum class Action {
    SetClock,
    SetAlarm,
    PlayTrack,
    StopAlarm,
    DisableAlarm,
    EnableAlarm,
    Test,
    AnnounceHours,
    StopAnnouncing,
    ChooseScheme, // the colour scheme numbered by the row's choice
    ChooseScreen, // the wake-up screen numbered by the row's choice
};

struct CommandRow
{
    char code;
    Action action;
    FieldLayout fields;
    // The scheme or screen number, from 1, that a ChooseScheme or ChooseScreen row picks;
    // 0 for the others.
    int choice;
    // dawnbell-send's word for the command, and the word after it ("on") that picks this row
    // among the rows with the same word; nullptr when the choice number or nothing picks it.
    const char *sendWord;
    const char *sendArgument;
    // What the command asks of the clock, for a person reading the panel's messages; "%1"
    // stands for the scheme's name or the screen's number.
    const char *purpose;
    // What the clock was told, as the simulator shows it; "%1" and "%2" stand for the fields
    // or the choice. Both texts are translated where they are shown.
    const char *description;
};

namespace Layout {
using E = FieldEncoding;
// month, day, year, hour, minute, second, AM/PM, "0"
inline constexpr FieldEncoding Time[] = {E::TwoDigits,   E::TwoDigits,   E::TwoDigits,
                                         E::BlankSigned, E::BlankSigned, E::BlankSigned,
                                         E::Flag,        E::LiteralZero};
// hour, minute, AM/PM, track, " 0"
inline constexpr FieldEncoding Alarm[]
        = {E::BlankSigned, E::BlankSigned, E::Flag, E::BlankSigned, E::LiteralBlankZero};
// track, " 0"
inline constexpr FieldEncoding Play[] = {E::BlankSigned, E::LiteralBlankZero};
} // namespace Layout

inline constexpr int MaxFields = 8;

// clang-format off
inline constexpr CommandRow CommandTable[] = {
    {'T', Action::SetClock,       layoutOf(Layout::Time),  0, "time",     nullptr, QT_TRANSLATE_NOOP("Protocol", "set the clock"),             QT_TRANSLATE_NOOP("Protocol", "clock set to %1")},
    {'A', Action::SetAlarm,       layoutOf(Layout::Alarm), 0, "alarm",    nullptr, QT_TRANSLATE_NOOP("Protocol", "set up the alarm"),          QT_TRANSLATE_NOOP("Protocol", "alarm %1, track %2")},
    {'P', Action::PlayTrack,      layoutOf(Layout::Play),  0, "play",     nullptr, QT_TRANSLATE_NOOP("Protocol", "play the alarm"),            QT_TRANSLATE_NOOP("Protocol", "play track %1")},
    {'S', Action::StopAlarm,      {},                      0, "stop",     nullptr, QT_TRANSLATE_NOOP("Protocol", "stop the alarm"),            QT_TRANSLATE_NOOP("Protocol", "stop alarm")},
    {'D', Action::DisableAlarm,   {},                      0, "disable",  nullptr, QT_TRANSLATE_NOOP("Protocol", "disable the alarm"),         QT_TRANSLATE_NOOP("Protocol", "disable alarm")},
    {'E', Action::EnableAlarm,    {},                      0, "enable",   nullptr, QT_TRANSLATE_NOOP("Protocol", "enable the alarm"),          QT_TRANSLATE_NOOP("Protocol", "enable alarm")},
    {'!', Action::Test,           {},                      0, "test",     nullptr, QT_TRANSLATE_NOOP("Protocol", "test the wake-up screen"),   QT_TRANSLATE_NOOP("Protocol", "test")},
    {'H', Action::AnnounceHours,  {},                      0, "announce", "on",    QT_TRANSLATE_NOOP("Protocol", "announce the hours"),        QT_TRANSLATE_NOOP("Protocol", "hourly announcement on")},
    {'h', Action::StopAnnouncing, {},                      0, "announce", "off",   QT_TRANSLATE_NOOP("Protocol", "stop announcing the hours"), QT_TRANSLATE_NOOP("Protocol", "hourly announcement off")},
    {'1', Action::ChooseScheme,   {},                      1, "scheme",   nullptr, QT_TRANSLATE_NOOP("Protocol", "colour scheme %1"),          QT_TRANSLATE_NOOP("Protocol", "colour scheme %1")},
    {'2', Action::ChooseScheme,   {},                      2, "scheme",   nullptr, QT_TRANSLATE_NOOP("Protocol", "colour scheme %1"),          QT_TRANSLATE_NOOP("Protocol", "colour scheme %1")},
    {'3', Action::ChooseScheme,   {},                      3, "scheme",   nullptr, QT_TRANSLATE_NOOP("Protocol", "colour scheme %1"),          QT_TRANSLATE_NOOP("Protocol", "colour scheme %1")},
    {'4', Action::ChooseScheme,   {},                      4, "scheme",   nullptr, QT_TRANSLATE_NOOP("Protocol", "colour scheme %1"),          QT_TRANSLATE_NOOP("Protocol", "colour scheme %1")},
    {'5', Action::ChooseScreen,   {},                      1, "screen",   nullptr, QT_TRANSLATE_NOOP("Protocol", "wake-up screen %1"),         QT_TRANSLATE_NOOP("Protocol", "wake-up screen %1")},
    {'6', Action::ChooseScreen,   {},                      2, "screen",   nullptr, QT_TRANSLATE_NOOP("Protocol", "wake-up screen %1"),         QT_TRANSLATE_NOOP("Protocol", "wake-up screen %1")},
    {'7', Action::ChooseScreen,   {},                      3, "screen",   nullptr, QT_TRANSLATE_NOOP("Protocol", "wake-up screen %1"),         QT_TRANSLATE_NOOP("Protocol", "wake-up screen %1")},
};
// clang-format on

} // namespace Protocol
