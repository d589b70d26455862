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
    QStringList warnings;
    QList<QUrl> openedUrls;

    QDateTime now() const override { return current; }

    SingleCopyClaim claimSingleCopy() override
    {
        ++claimCalls;
        return claim;
    }

    void showMessage(const QString &caption, const QString &text) override
    {
        messages.append({caption, text});
    }

    void showWarning(const QString &, const QString &text) override { warnings.append(text); }

    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        return urlOpens;
    }

    void beep() override { ++beeps; }
    void endProcess() override { ++endProcessCalls; }
};
