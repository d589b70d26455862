#include "moduleframe.h"

#include <QtNetwork/QHostAddress>

namespace ModuleFrame {

namespace {

constexpr QByteArrayView LineEnd("\r\n");
constexpr QByteArrayView MacField("MA");
constexpr QByteArrayView SearchIdCommand("PW");

bool endsLineAt(QByteArrayView bytes, qsizetype pos)
{
    return pos >= 0 && pos + LineEnd.size() <= bytes.size()
            && bytes.sliced(pos, LineEnd.size()) == LineEnd;
}

bool isCapital(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Where the value that starts at `start` ends: the CR of its line end, or -1 when the bytes end
// first. A MAC sent as raw bytes may hold CR or LF, so an MC value of six bytes followed by a
// line end is taken whole. No MAC starts with 0x0D (that would be a group address), so an MC
// followed at once by a line end is asked without a value.
qsizetype valueEnd(QByteArrayView bytes, QByteArrayView command, qsizetype start)
{
    if (command == Command::MacAddress && !endsLineAt(bytes, start)
        && endsLineAt(bytes, start + Module::MacBytes))
        return start + Module::MacBytes;
    return bytes.indexOf(LineEnd, start);
}

// Printable ASCII, blanks around it removed; anything else is dropped, so that a name never
// carries control characters into a log line or a table.
QString printable(QByteArrayView value)
{
    QString text;
    for (const char c : value) {
        if (c >= 0x20 && c < 0x7f)
            text += QLatin1Char(c);
    }
    return text.trimmed();
}

// A decimal number of 1 to 5 digits up to `last`.
std::optional<int> decimal(QByteArrayView value, int last)
{
    if (value.isEmpty() || value.size() > 5)
        return std::nullopt;
    int number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number <= last ? std::optional<int>(number) : std::nullopt;
}

std::optional<quint16> portOf(QByteArrayView value)
{
    const std::optional<int> port = decimal(value, 65535);
    if (!port || *port == 0)
        return std::nullopt;
    return quint16(*port);
}

std::optional<bool> flag(QByteArrayView value)
{
    if (value == "0" || value == "1")
        return value == "1";
    return std::nullopt;
}

Module::Status statusOf(QByteArrayView value)
{
    int status = int(Module::Status::Boot);
    for (const char *word : Module::StatusWords) {
        if (value == word)
            return Module::Status(status);
        ++status;
    }
    return Module::Status::Unknown;
}

Module::Mode modeOf(QByteArrayView value)
{
    const std::optional<int> code = decimal(value, Module::LastModeCode);
    return code && value.size() == 1 ? Module::Mode(*code) : Module::Mode::Unknown;
}

QString ipv4Of(QByteArrayView value)
{
    const QHostAddress address(QString::fromLatin1(value));
    return address.protocol() == QAbstractSocket::IPv4Protocol ? address.toString() : QString();
}

void take(ModuleInfo &info, const Field &field)
{
    const QByteArray &value = field.value;
    if (field.command == Command::ProductName)
        info.name = printable(value);
    else if (field.command == Command::Firmware)
        info.firmware = printable(value);
    else if (field.command == Command::LocalAddress)
        info.reportedAddress = ipv4Of(value);
    else if (field.command == Command::DataPort)
        info.dataPort = portOf(value);
    else if (field.command == Command::Mode)
        info.mode = modeOf(value);
    else if (field.command == Command::Status)
        info.status = statusOf(value);
    else if (field.command == Command::Dhcp)
        info.dhcp = flag(value);
    else if (field.command == Command::Password)
        info.password = flag(value);
    else if (field.command == Command::InactivitySeconds)
        info.inactivitySeconds = decimal(value, 65535);
}

} // namespace

QByteArray everyModuleMac()
{
    return QByteArray(Module::MacBytes, char(0xff));
}

QByteArray encode(const Frame &frame)
{
    QByteArray bytes = MacField.toByteArray() + frame.mac + LineEnd.toByteArray()
            + SearchIdCommand.toByteArray() + frame.searchId + LineEnd.toByteArray();
    for (const Field &field : frame.fields)
        bytes += field.command + field.value + LineEnd.toByteArray();
    return bytes;
}

std::optional<Frame> parse(QByteArrayView bytes)
{
    bytes = bytes.first(qMin<qsizetype>(bytes.size(), MaxFrameBytes));
    const qsizetype macEnd = MacField.size() + Module::MacBytes;
    if (!bytes.startsWith(MacField) || !endsLineAt(bytes, macEnd))
        return std::nullopt;
    Frame frame;
    frame.mac = bytes.sliced(MacField.size(), Module::MacBytes).toByteArray();
    qsizetype pos = macEnd + LineEnd.size();
    while (pos < bytes.size() && frame.fields.size() < MaxFields) {
        const qsizetype start = pos + 2;
        const bool isField = start <= bytes.size() && isCapital(bytes[pos])
                && isCapital(bytes[pos + 1]);
        const QByteArrayView command = isField ? bytes.sliced(pos, 2) : QByteArrayView();
        const qsizetype end = isField ? valueEnd(bytes, command, start)
                                      : bytes.indexOf(LineEnd, pos);
        if (end < 0)
            break; // cut off
        pos = end + LineEnd.size();
        if (!isField || end - start > MaxValueBytes)
            continue;
        const QByteArray value = bytes.sliced(start, end - start).toByteArray();
        if (command == SearchIdCommand && frame.searchId.isNull())
            frame.searchId = value;
        else
            frame.fields.append({command.toByteArray(), value});
    }
    return frame;
}

bool isValidSearchId(QStringView searchId)
{
    if (searchId.size() > Module::MaxSearchIdLength)
        return false;
    for (const QChar c : searchId) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

QByteArray searchIdField(QStringView searchId)
{
    return searchId.isEmpty() ? QByteArray(" ") : searchId.toLatin1();
}

QList<QByteArray> searchCommands()
{
    using namespace Command;
    QList<QByteArray> commands;
    for (const QByteArrayView command : {MacAddress, ProductName, Firmware, Status, Mode, Dhcp,
                                         LocalAddress, DataPort, Password, InactivitySeconds})
        commands.append(command.toByteArray());
    return commands;
}

std::optional<QByteArray> searchRequest(QStringView searchId, const QByteArray &mac)
{
    if (!isValidSearchId(searchId) || mac.size() != Module::MacBytes)
        return std::nullopt;
    Frame request{mac, searchIdField(searchId), {}};
    for (const QByteArray &command : searchCommands())
        request.fields.append({command, {}});
    return encode(request);
}

std::optional<ModuleInfo> readAnswer(QByteArrayView bytes)
{
    const std::optional<Frame> frame = parse(bytes);
    if (!frame || frame->mac == everyModuleMac())
        return std::nullopt;
    ModuleInfo info;
    info.mac = frame->mac;
    // The first answer to each command counts.
    QList<QByteArray> seen;
    for (const Field &field : frame->fields) {
        if (seen.contains(field.command))
            continue;
        seen.append(field.command);
        take(info, field);
    }
    return info;
}

bool isComplete(const ModuleInfo &module)
{
    return module.mac.size() == Module::MacBytes && !module.reportedAddress.isEmpty()
            && module.dataPort.has_value();
}

QString macText(const QByteArray &mac)
{
    return QString::fromLatin1(mac.toHex(':').toUpper());
}

} // namespace ModuleFrame
