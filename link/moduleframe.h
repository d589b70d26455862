#pragma once

#include "modulefacts.h"

#include <QtCore/QByteArray>
#include <QtCore/QByteArrayView>
#include <QtCore/QList>
#include <QtCore/QString>

#include <optional>

// The frames of the module's command port. A frame is "MA", the MAC address as raw bytes and
// CR LF, "PW", the search ID and CR LF, then fields: a command of two capital letters, its
// value and CR LF. A request carries commands without values; the module answers with its own
// MAC and each command followed by its value.
namespace ModuleFrame {

// The commands of the module's command port that a search asks, each answered with one value.
// The search request, the reading of an answer and the simulator's answers all name them here.
namespace Command {
inline constexpr QByteArrayView MacAddress("MC"); // the MAC, as text or as raw bytes
inline constexpr QByteArrayView ProductName("MN");
inline constexpr QByteArrayView Firmware("VR");
inline constexpr QByteArrayView Status("ST"); // one of Module::StatusWords
inline constexpr QByteArrayView Mode("OP");   // a Module::Mode code
inline constexpr QByteArrayView Dhcp("IM");   // 1 DHCP, 0 a static address
inline constexpr QByteArrayView LocalAddress("LI");
inline constexpr QByteArrayView DataPort("LP");
inline constexpr QByteArrayView Password("CP"); // 1 when a connection password is asked
inline constexpr QByteArrayView InactivitySeconds("IT");
} // namespace Command

// Longest frame read; whatever a datagram holds beyond it is taken as cut off.
inline constexpr int MaxFrameBytes = 1472;
// Longest value kept. A longer one is skipped whole, and the fields after it still count.
inline constexpr int MaxValueBytes = 64;
// The most fields read from one frame.
inline constexpr int MaxFields = 32;

struct Field
{
    QByteArray command; // two capital letters
    QByteArray value;   // empty in a request

    bool operator==(const Field &other) const
    {
        return command == other.command && value == other.value;
    }
};

struct Frame
{
    QByteArray mac;      // MacBytes raw bytes: the module's, or all 0xFF to ask every module
    QByteArray searchId; // as on the wire: a single blank when none is set
    QList<Field> fields;
};

// The MAC that asks every module.
QByteArray everyModuleMac();

// The frame's bytes.
QByteArray encode(const Frame &frame);

// The frame that `bytes` hold, or nothing when they do not start with a whole MA field. Lines
// that are no field and a field cut off by the end of the bytes are left out; the MAC values
// (MA, and MC when sent as raw bytes) are read by their length, since they may hold CR or LF.
std::optional<Frame> parse(QByteArrayView bytes);

// A search ID a module can hold: empty (none), or up to Module::MaxSearchIdLength printable
// ASCII characters without blanks.
bool isValidSearchId(QStringView searchId);
// The search ID as the PW field carries it; a single blank for none.
QByteArray searchIdField(QStringView searchId);

// The commands a search asks, all of them read-only without a value.
QList<QByteArray> searchCommands();
// A search request to the module with `mac` (every module by default), or nothing for a
// search ID no module can hold.
std::optional<QByteArray> searchRequest(QStringView searchId,
                                        const QByteArray &mac = everyModuleMac());

// What a module's answer tells about it. Values it did not send, or sent in a form this does
// not read, stay unknown.
struct ModuleInfo
{
    QByteArray mac;                  // from the MA field: the module's identity
    QString name;                    // MN, the product name
    QString firmware;                // VR
    QString address;                 // where it is reached: the address its answer came from
    QString reportedAddress;         // LI, the IPv4 address it gives itself
    std::optional<quint16> dataPort; // LP
    Module::Mode mode = Module::Mode::Unknown;       // OP
    Module::Status status = Module::Status::Unknown; // ST
    std::optional<bool> dhcp;                        // IM: 1 DHCP, 0 a static address
    std::optional<bool> password;                    // CP: a connection password is asked
    std::optional<int> inactivitySeconds;            // IT: 0 never closes an idle connection
};

// The module an answer describes, or nothing when `bytes` are no frame or carry no module's
// MAC (a request to every module). `address` is left empty: only the sender knows it.
std::optional<ModuleInfo> readAnswer(QByteArrayView bytes);

// Whether the answer tells what a listing needs: the module's MAC, the address it gives itself
// and its data port. A cut-off or garbled answer tells less, and its sender may still send
// its whole answer.
bool isComplete(const ModuleInfo &module);

// "00:08:DC:00:00:11" for the raw MAC.
QString macText(const QByteArray &mac);

} // namespace ModuleFrame
