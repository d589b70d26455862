#pragma once

#include <QtCore/QLoggingCategory>

// What the settings layer did. Warnings (a save that failed, a backup or put-back that failed,
// a saved port that is no port) show by default; the rest shows for those who turn it on with
// QT_LOGGING_RULES="dawnbell.settings=true".
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
