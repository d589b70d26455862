#pragma once

#include <QtCore/QString>

#include <optional>

// One loosely typed settings field: nothing, a text or a number. It keeps the kind of its
// last assignment, because the saver writes texts quoted and numbers bare.
class SettingValue
{
public:
    enum class Kind { Empty, Text, Number };

    SettingValue() = default;
    static SettingValue fromText(const QString &text);
    static SettingValue fromNumber(double number);

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isText() const { return m_kind == Kind::Text; }
    bool isNumber() const { return m_kind == Kind::Number; }

    // The value as a text box shows it: a number as its decimal text, nothing as "".
    QString toText() const;
    // The value as it takes part in a numeric comparison: a text that reads as a number
    // counts as that number, nothing counts as 0, any other text cannot be compared.
    std::optional<double> toNumber() const;

    bool operator==(const SettingValue &other) const;
    bool operator!=(const SettingValue &other) const { return !(*this == other); }

private:
    Kind m_kind = Kind::Empty;
    QString m_text;
    double m_number = 0;
};

// Reads a text as a number the way the settings file does: blanks around it ignored, an
// optional sign, decimal digits with an optional fraction and exponent. A value beyond the
// range of a double is not a number.
std::optional<double> readNumber(QStringView text);

// The settings record of the main window: the nineteen items of the file, in the file's order.
struct SetupData
{
    SettingValue HeaderLine;
    SettingValue AlarmHourComment;
    SettingValue AlarmHour;
    SettingValue AlarmMinuteComment;
    SettingValue AlarmMinute;
    SettingValue AlarmAMPMComment;
    SettingValue AlarmAMPM;
    SettingValue AlarmTrackComment;
    SettingValue AlarmTrack;
    SettingValue BackGroundsComment;
    SettingValue BackGrounds;
    SettingValue WakeUpScreensComment;
    SettingValue WakeUpScreens;
    SettingValue AnnounceHourlyComment;
    SettingValue AnnounceHourly;
    SettingValue RemoteHostComment;
    SettingValue RemoteHost;
    SettingValue RemotePortComment;
    SettingValue RemotePort;

    bool operator==(const SetupData &other) const;
    bool operator!=(const SetupData &other) const { return !(*this == other); }
};
