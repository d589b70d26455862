#include "linklog.h"

// Nothing the link logs is a warning: a missing device is an ordinary condition, shown by
// the lamp. With the threshold at warnings, every message stays hidden until asked for.
Q_LOGGING_CATEGORY(lcLink, "dawnbell.link", QtWarningMsg)
