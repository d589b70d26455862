#pragma once

#include "appplatform.h"

#include <QtCore/QList>
#include <QtCore/QPair>

// A machine whose clock the test sets and whose side effects it counts.
class FakePlatform : public AppPlatform
{
public:
    QDateTime current = QDateTime(QDate(2018, 7, 4), QTime(15, 5, 30));
    SingleCopyClaim claim; // taken unless a test says otherwise
    bool urlOpens = true;

    int beeps = 0;
    int claimCalls = 0;
    int endProcessCalls = 0;
    QList<QPair<QString, QString>> messages; // caption, text
    QList<MessageKind> messageKinds;
    QList<QUrl> openedUrls;

    QDateTime now() const override { return current; }

    SingleCopyClaim claimSingleCopy() override
    {
        ++claimCalls;
        return claim;
    }

    void showMessage(MessageKind kind, const QString &caption, const QString &text) override
    {
        messageKinds.append(kind);
        messages.append({caption, text});
    }

    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        return urlOpens;
    }

    void beep() override { ++beeps; }
    void endProcess() override { ++endProcessCalls; }
};
