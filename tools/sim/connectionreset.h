#pragma once

class QTcpSocket;

// Makes the next close of `socket` send a reset instead of an orderly end, as a module does
// when it drops a client with data unread: a zero linger time on the system's socket.
void resetOnClose(QTcpSocket *socket);
