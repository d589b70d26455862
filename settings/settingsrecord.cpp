#include "settingsrecord.h"

#include "settingsformat.h"
#include "settingslog.h"

#include "alarmentry.h"
#include "deviceconstants.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QRegularExpression>
#include <QtCore/QStringDecoder>
#include <QtCore/QUrl>

#include <algorithm>
#include <array>
#include <cmath>

namespace Settings {

namespace {

// A fractional track selects the nearest button, halves going to the even neighbour
// (0.5 -> 0, 1.5 -> 2), so track 149.5 selects nothing and 150.5 selects "Alarm #2".
double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// The panel compares the scheme, screen and announcement with numbers when it shows them; a
// text that reads as no number cannot be compared, so such a file is not usable.
bool isComparable(const SettingValue &value)
{
    return value.toNumber().has_value();
}

// The file is read byte for byte; a host is kept in it as UTF-8, of which ASCII is a part.
std::optional<QString> decodedHost(const SettingValue &saved)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString host = utf8(saved.toText().toLatin1());
    if (utf8.hasError())
        return std::nullopt;
    return host;
}

// A host without the brackets an IPv6 address may be typed in, and the blanks around it.
QString unbracketed(const QString &host)
{
    const QString trimmed = host.trimmed();
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']') ? trimmed.mid(1, trimmed.size() - 2)
                                                               : trimmed;
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

int itemIndexOf(Field field)
{
    return int(std::find(ItemOrder.begin(), ItemOrder.end(), field) - ItemOrder.begin());
}

} // namespace

std::optional<UnusableItem> firstUnusableItem(const QList<SettingValue> &items)
{
    const auto item = [&items](Field field) { return items.value(itemIndexOf(field)); };
    if (!alarmButtonOf(item(&SetupData::AlarmTrack))) {
        return UnusableItem{
                itemIndexOf(&SetupData::AlarmTrack),
                QCoreApplication::translate("Settings",
                                            "the alarm track \"%1\" is none of the tracks %2 to %3")
                        .arg(item(&SetupData::AlarmTrack).toText())
                        .arg(Device::TrackOffset + 1)
                        .arg(Device::TrackOffset + Device::TrackCount)};
    }
    const std::pair<Field, const char *> compared[] = {
            {&SetupData::BackGrounds, QT_TRANSLATE_NOOP("Settings", "colour scheme")},
            {&SetupData::WakeUpScreens, QT_TRANSLATE_NOOP("Settings", "wake-up screen")},
            {&SetupData::AnnounceHourly, QT_TRANSLATE_NOOP("Settings", "hourly announcement")},
    };
    for (const auto &[field, name] : compared) {
        if (!isComparable(item(field))) {
            return UnusableItem{
                    itemIndexOf(field),
                    QCoreApplication::translate("Settings", "the %1 \"%2\" is not a number")
                            .arg(QCoreApplication::translate("Settings", name),
                                 item(field).toText())};
        }
    }
    if (!decodedHost(item(&SetupData::RemoteHost))) {
        return UnusableItem{itemIndexOf(&SetupData::RemoteHost),
                            QCoreApplication::translate(
                                    "Settings", "the remote host is neither ASCII nor UTF-8 text")};
    }
    return std::nullopt;
}

std::optional<SetupData> recordFrom(const QList<SettingValue> &items)
{
    if (items.size() != ItemCount || firstUnusableItem(items))
        return std::nullopt;
    SetupData record;
    for (int i = 0; i < ItemCount; ++i)
        record.*ItemOrder[i] = items.at(i);
    return record;
}

std::optional<SetupData> parseRecord(QByteArrayView bytes)
{
    const std::optional<QList<SettingValue>> items = readItems(bytes);
    return items ? recordFrom(*items) : std::nullopt;
}

QList<SettingValue> itemsOf(const SetupData &record)
{
    QList<SettingValue> items;
    items.reserve(ItemCount);
    for (const Field field : ItemOrder)
        items.append(record.*field);
    return items;
}

QByteArray serialize(const SetupData &record)
{
    return writeItems(itemsOf(record));
}

SetupData defaultRecord()
{
    const auto text
            = [](const char *latin1) { return SettingValue::fromText(QLatin1String(latin1)); };
    SetupData record;
    record.HeaderLine = text("Starting on line 2, every other line is a comment.  comments must "
                             "be in quotes.");
    record.AlarmHourComment = text("Alarm Hour");
    record.AlarmHour = text("6");
    record.AlarmMinuteComment = text("Alarm Minute");
    record.AlarmMinute = text("30");
    record.AlarmAMPMComment = text("Alarm AMPM");
    record.AlarmAMPM = text("AM");
    record.AlarmTrackComment = text("Alarm Track");
    record.AlarmTrack = SettingValue::fromNumber(Device::TrackOffset + 2); // "Alarm #2"
    record.BackGroundsComment = text("BackGrounds");
    record.BackGrounds = text("1");
    record.WakeUpScreensComment = text("Wake Up Screens");
    record.WakeUpScreens = text("1");
    record.AnnounceHourlyComment = text("Announce Hourly");
    record.AnnounceHourly = text("0");
    // The module is reached over loopback until the user enters its real address.
    record.RemoteHostComment = text("Remote Host");
    record.RemoteHost = text(Device::DefaultHost);
    record.RemotePortComment = text("Remote Port");
    record.RemotePort = text(Device::DefaultPortText);
    return record;
}

QByteArray defaultFileBytes()
{
    return serialize(defaultRecord());
}

std::optional<int> alarmButtonOf(const SettingValue &track)
{
    const std::optional<double> number = track.toNumber();
    if (!number)
        return std::nullopt;
    const double button = roundHalfEven(*number - Device::TrackOffset);
    if (!(button >= 1 && button <= Device::TrackCount))
        return std::nullopt;
    return static_cast<int>(button);
}

std::optional<int> alarmTrackOf(const SettingValue &track)
{
    const std::optional<int> button = alarmButtonOf(track);
    return button ? std::optional<int>(Device::TrackOffset + *button) : std::nullopt;
}

std::optional<quint16> portOf(const SettingValue &value)
{
    std::optional<qint64> number;
    if (value.isNumber()) {
        const double saved = *value.toNumber();
        if (saved == std::floor(saved) && std::fabs(saved) <= 65535)
            number = static_cast<qint64>(saved);
    } else if (value.isText()) {
        number = Device::wholeNumber(value.toText());
    }
    if (!number || *number < 1 || *number > 65535)
        return std::nullopt;
    return static_cast<quint16>(*number);
}

std::optional<QString> shownHostOf(const SettingValue &saved)
{
    const std::optional<QString> host = decodedHost(saved);
    return host ? std::optional<QString>(shownHost(*host)) : std::nullopt;
}

QString shownHost(const QString &host)
{
    // Only a name with an ASCII-encoded label is converted, as the conversion also lowers the
    // case of everything else.
    if (isAscii(host) && host.contains(QLatin1String("xn--"), Qt::CaseInsensitive)) {
        const QString unicode = QUrl::fromAce(host.toLatin1(), QUrl::IgnoreIDNWhitelist);
        if (!unicode.isEmpty())
            return unicode;
    }
    return host;
}

QString endpointText(const QString &host, quint16 port)
{
    const QString shown = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1:%2").arg(shown).arg(port);
}

QString hostCharacter()
{
    return QStringLiteral("[\\p{L}\\p{M}\\p{N}.:%-]");
}

std::optional<QString> connectHostOf(const QString &text)
{
    const QString host = unbracketed(text);
    static const QRegularExpression hostText(
            QRegularExpression::anchoredPattern(hostCharacter() + u'+'));
    if (!hostText.match(host).hasMatch())
        return std::nullopt;
    return host;
}

SettingValue savedHostOf(const QString &typed)
{
    if (isAscii(typed))
        return SettingValue::fromText(typed);
    const QByteArray ace = QUrl::toAce(typed.trimmed());
    // Text that is no internationalised name is kept as UTF-8, so it reads back as typed.
    return SettingValue::fromText(QString::fromLatin1(ace.isEmpty() ? typed.toUtf8() : ace));
}

Endpoint endpointOf(const SetupData &record)
{
    return endpointFrom(record.RemoteHost, record.RemotePort);
}

Endpoint endpointFrom(const SettingValue &host, const SettingValue &port)
{
    Endpoint endpoint;
    endpoint.host = unbracketed(decodedHost(host).value_or(QString()));
    endpoint.hostUsable = !endpoint.host.isEmpty();
    if (!endpoint.hostUsable)
        endpoint.host = QString::fromLatin1(Device::DefaultHost);
    const std::optional<quint16> number = portOf(port);
    endpoint.portUsable = number.has_value();
    endpoint.port = number.value_or(Device::DefaultPort);
    if (!endpoint.portUsable) {
        qCWarning(lcSettings).nospace().noquote()
                << "the saved port \"" << port.toText() << "\" is no port; using " << endpoint.port
                << " on the saved host " << endpoint.host;
    }
    return endpoint;
}

} // namespace Settings
