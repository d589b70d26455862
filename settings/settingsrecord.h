#pragma once

#include "settingsformat.h"
#include "setupdata.h"

#include <QtCore/QByteArray>
#include <QtCore/QByteArrayView>
#include <QtCore/QList>
#include <QtCore/QString>

#include <array>
#include <optional>

// The settings record as the file holds it: which item is which field, the defaults, and
// which records the panel can use.
namespace Settings {

using Field = SettingValue SetupData::*;

// The record's fields in the file's item order; reading and writing use the same one.
inline constexpr std::array<Field, ItemCount> ItemOrder = {
        &SetupData::HeaderLine,     &SetupData::AlarmHourComment,
        &SetupData::AlarmHour,      &SetupData::AlarmMinuteComment,
        &SetupData::AlarmMinute,    &SetupData::AlarmAMPMComment,
        &SetupData::AlarmAMPM,      &SetupData::AlarmTrackComment,
        &SetupData::AlarmTrack,     &SetupData::BackGroundsComment,
        &SetupData::BackGrounds,    &SetupData::WakeUpScreensComment,
        &SetupData::WakeUpScreens,  &SetupData::AnnounceHourlyComment,
        &SetupData::AnnounceHourly, &SetupData::RemoteHostComment,
        &SetupData::RemoteHost,     &SetupData::RemotePortComment,
        &SetupData::RemotePort,
};

// The record that the file's items give, or nothing when the file is unusable: not
// ItemCount items, a track that selects no alarm button, a scheme, screen or announcement
// that is a text which does not read as a number, a host that is not UTF-8 (ASCII included).
std::optional<SetupData> recordFrom(const QList<SettingValue> &items);
// The first of a file's ItemCount items that makes it unusable as recordFrom judges it: its
// index and why, in words for the user. Nothing when the items make a usable record.
struct UnusableItem
{
    int index = 0;
    QString reason;
};
std::optional<UnusableItem> firstUnusableItem(const QList<SettingValue> &items);

// The record that a whole file's bytes give, as recordFrom judges it.
std::optional<SetupData> parseRecord(QByteArrayView bytes);

// The record's fields in the file's item order, and the file's bytes for a record.
QList<SettingValue> itemsOf(const SetupData &record);
QByteArray serialize(const SetupData &record);

// The record of the default file, as loaded, and the file's bytes.
SetupData defaultRecord();
QByteArray defaultFileBytes();

// The alarm button, 1 to Device::TrackCount, that a saved track selects: the track taken as
// a number, less Device::TrackOffset, rounded to the nearest whole number with halves going to
// the even neighbour. Nothing when that gives no button or the track is not a number.
std::optional<int> alarmButtonOf(const SettingValue &track);
// The track, Device::FirstTrack to Device::LastTrack, of the button that a saved track selects.
std::optional<int> alarmTrackOf(const SettingValue &track);

// The TCP port a settings value names: a whole number from 1 to 65535, written as a number or
// as a text (blanks around it, a sign and leading zeros allowed). Nothing for anything else,
// a fraction or an exponent included.
std::optional<quint16> portOf(const SettingValue &value);

// The saved host as the user reads it: the file's bytes taken as UTF-8, an internationalised
// name in its Unicode form. Nothing when the bytes are not UTF-8.
std::optional<QString> shownHostOf(const SettingValue &saved);
// A host as the user reads it: an internationalised name in its Unicode form.
QString shownHost(const QString &host);
// "host:port", an IPv6 address in brackets so that its port stands apart: "[::1]:5000".
QString endpointText(const QString &host, quint16 port);
// The characters a host name or address is made of, as a regular expression for one of them:
// letters and digits of any script (an internationalised name), and the dots, hyphens, colons
// and zone sign of names and IP literals. The host box takes these and the brackets around an
// IPv6 address, and nothing the file would lose.
QString hostCharacter();
// The host that `text` names for a connection: blanks around it and the brackets around an
// IPv6 address taken off. Nothing when that leaves nothing, or a character no host has.
std::optional<QString> connectHostOf(const QString &text);

// The host the user typed, as the file keeps it: an internationalised name in its ASCII form,
// so every resolver and every tool reading the file takes it.
SettingValue savedHostOf(const QString &typed);

// Where the commands of a record go: the saved host (Device::DefaultHost when it is blank),
// as UTF-8, without the brackets an IPv6 address may be typed in, and the saved port, or
// Device::DefaultPort when the saved port is no port. A saved port that is no port is logged as
// a warning; the host stays the saved one even then, so that a typing slip in the port never
// sends commands to another machine. The two flags tell whether the saved values were used.
struct Endpoint
{
    QString host;
    quint16 port = 0;
    bool hostUsable = false;
    bool portUsable = false;

    bool usable() const { return hostUsable && portUsable; }
};
Endpoint endpointOf(const SetupData &record);
// The same for a host and a port in the file's form.
Endpoint endpointFrom(const SettingValue &host, const SettingValue &port);

} // namespace Settings
