#pragma once

#include "platform.h"

#include <QtCore/QString>
#include <QtCore/QUrl>

// How taking the single-copy lock went. Only a lock that another running copy holds means
// "already running"; anything else that keeps the lock from being taken is a failure with a
// reason the user can act on.
struct SingleCopyClaim
{
    enum class Outcome { Taken, HeldByOtherCopy, Failed };

    Outcome outcome = Outcome::Taken;
    QString failure; // why the lock could not be taken, when the outcome is Failed
};

// What a message tells, which decides its icon: news, a loss the user should know of, or a
// failure that keeps the panel from doing what was asked.
enum class MessageKind { Information, Warning, Critical };

// What the program asks of the machine besides the panel's clock and beep: the single-copy
// lock, message boxes, the browser and the end of the process. Tests stand in for it.
class AppPlatform : public Platform
{
public:
    virtual SingleCopyClaim claimSingleCopy() = 0;
    // A modal message box with an OK button only and the icon of its kind.
    virtual void showMessage(MessageKind kind, const QString &caption, const QString &text) = 0;
    virtual bool openUrl(const QUrl &url) = 0;
    // Ends the program: no event is handled after it.
    virtual void endProcess() = 0;
};
