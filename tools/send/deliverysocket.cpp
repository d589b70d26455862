#include "deliverysocket.h"

void DeliverySocket::finish(Ending how)
{
    if (m_ended)
        return;
    m_ended = true;
    stopWatching();
    emit ended(how);
}
