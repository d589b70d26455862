#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QString>
#include <QtCore/QUrl>

// What the panel asks of the machine it runs on, in one place so tests can stand in for it.
class Platform
{
public:
    virtual ~Platform() = default;

    virtual QDateTime now() const = 0;
    // Takes the single-copy lock; false when another copy of the panel holds it.
    virtual bool claimSingleCopy() = 0;
    // A modal message box with an OK button only and no icon.
    virtual void showMessage(const QString &caption, const QString &text) = 0;
    virtual bool openUrl(const QUrl &url) = 0;
    virtual void beep() = 0;
    // Ends the program: no event is handled after it.
    virtual void endProcess() = 0;
};
