#pragma once

#include <QtCore/QLoggingCategory>

// "dawnbell.link": connection attempts, state changes, socket errors and dropped commands.
// Off unless turned on, e.g. QT_LOGGING_RULES="dawnbell.link=true"; the user never sees it.
Q_DECLARE_LOGGING_CATEGORY(lcLink)
