#pragma once

#include <QtCore/QLoggingCategory>

// The panel's start-up and ways out, for those who turn it on with
// QT_LOGGING_RULES="dawnbell.app=true"; silent by default.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
