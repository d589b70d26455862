#pragma once

#include <QtCore/QLoggingCategory>

// What the settings file reader and writer did, for those who turn it on with
// QT_LOGGING_RULES="dawnbell.settings=true"; silent by default.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
