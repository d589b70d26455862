#include "linkstate.h"

#include <QtCore/QMetaEnum>

const char *Link::stateName(State state)
{
    const char *name = QMetaEnum::fromType<State>().valueToKey(int(state));
    return name ? name : "unknown";
}
