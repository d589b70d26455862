// Saves the settings file the way the panel does, so that the fault tests can kill, starve or
// block it mid-write and then judge what is left on disk.
//
//   savestress loop <file>      alternate records A and B in a tight loop; prints "ready" once
//                               the first save is complete
//   savestress save <file> A|B  one save; exit status 0 when it succeeded, 1 when it failed
//   savestress check <file>     prints "A" or "B" when the file is exactly that record, else "BAD"

#include "settingsformat.h"
#include "settingsrecord.h"
#include "settingsstore.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// Two records that differ in every place a torn write could show: length, text and numbers.
SetupData recordA()
{
    return Settings::defaultRecord();
}

SetupData recordB()
{
    SetupData record = Settings::defaultRecord();
    // The longest item a file keeps, which makes the file longer than one page, so that a write
    // can stop partway through.
    record.HeaderLine = SettingValue::fromText(QString(Settings::MaxItemChars, QLatin1Char('b')));
    record.AlarmHour = SettingValue::fromText(QStringLiteral("11"));
    record.AlarmMinute = SettingValue::fromText(QStringLiteral("45"));
    record.AlarmAMPM = SettingValue::fromText(QStringLiteral("PM"));
    record.AlarmTrack = SettingValue::fromNumber(165);
    record.BackGrounds = SettingValue::fromText(QStringLiteral("3"));
    record.WakeUpScreens = SettingValue::fromText(QStringLiteral("6"));
    record.AnnounceHourly = SettingValue::fromText(QStringLiteral("1"));
    record.RemotePort = SettingValue::fromText(QStringLiteral("5001"));
    return record;
}

int loop(const QString &path)
{
    // Bounded, in case the killer never comes.
    constexpr int MaxSaves = 1000000;
    constexpr qint64 MaxRunMs = 60000;
    const SetupData records[2] = {recordA(), recordB()};
    // Loaded first, as the panel does, so that the store knows the bytes it replaces.
    SettingsStore store(path);
    store.load();
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < MaxSaves && elapsed.elapsed() < MaxRunMs; ++i) {
        if (!store.save(records[i % 2]).saved)
            return 1;
        if (i == 0) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
    return 0;
}

int save(const QString &path, const char *which)
{
    // A size limit must show as a failed write, not end the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const SetupData record = std::strcmp(which, "B") == 0 ? recordB() : recordA();
    SettingsStore store(path);
    store.load();
    return store.save(record).saved ? 0 : 1;
}

int check(const QString &path)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    const char *verdict = "BAD";
    // Byte for byte, and readable as the loader reads it.
    if (Settings::parseRecord(bytes)) {
        if (bytes == Settings::serialize(recordA()))
            verdict = "A";
        else if (bytes == Settings::serialize(recordB()))
            verdict = "B";
    }
    std::printf("%s\n", verdict);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 3) {
        const QString path = QString::fromLocal8Bit(argv[2]);
        if (std::strcmp(argv[1], "loop") == 0)
            return loop(path);
        if (std::strcmp(argv[1], "check") == 0)
            return check(path);
        if (std::strcmp(argv[1], "save") == 0 && argc >= 4)
            return save(path, argv[3]);
    }
    std::fputs("usage: savestress loop|check <file> | savestress save <file> A|B\n", stderr);
    return 2;
}
