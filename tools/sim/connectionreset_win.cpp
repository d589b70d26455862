#include "connectionreset.h"

#include <QtNetwork/QTcpSocket>

#include <winsock2.h>

void resetOnClose(QTcpSocket *socket)
{
    const linger noLinger{1, 0};
    ::setsockopt(SOCKET(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                 reinterpret_cast<const char *>(&noLinger), sizeof noLinger);
}
