#include "displaycheck.h"

// Every Windows session has its desktop to open windows on.
QString unreachableDisplay(const QStringList &)
{
    return {};
}
