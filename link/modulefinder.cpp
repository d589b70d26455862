#include "modulefinder.h"

#include "linklog.h"

#include <QtCore/QCoreApplication>
#include <QtNetwork/QNetworkDatagram>
#include <QtNetwork/QNetworkInterface>
#include <QtNetwork/QUdpSocket>

ModuleFinder::ModuleFinder(QObject *parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ModuleFinder::finish);
}

QList<QHostAddress> ModuleFinder::everywhere()
{
    QList<QHostAddress> targets{QHostAddress(QHostAddress::Broadcast)};
    const QNetworkInterface::InterfaceFlags wanted = QNetworkInterface::IsUp
            | QNetworkInterface::CanBroadcast;
    for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces()) {
        if ((networkInterface.flags() & wanted) != wanted)
            continue;
        for (const QNetworkAddressEntry &entry : networkInterface.addressEntries()) {
            const QHostAddress broadcast = entry.broadcast();
            if (broadcast.protocol() == QAbstractSocket::IPv4Protocol
                && !targets.contains(broadcast))
                targets.append(broadcast);
        }
    }
    targets.append(QHostAddress(QHostAddress::LocalHost));
    return targets;
}

bool ModuleFinder::ask(const QHostAddress &module, const QString &searchId)
{
    if (!find({module}, searchId))
        return false;
    m_onlyFrom = module;
    return true;
}

// A datagram the system refuses is one no network of this PC has a way for; the socket's own
// words for that ("Unable to send a message") tell a user nothing.
QString ModuleFinder::unsentText(const QList<QHostAddress> &targets)
{
    if (targets.size() == 1) {
        return QCoreApplication::translate("ModuleFinder",
                                           "no network of this PC reaches %1; check the address "
                                           "and that the PC is connected to the clock's network")
                .arg(targets.constFirst().toString());
    }
    return QCoreApplication::translate("ModuleFinder",
                                       "this PC is on no network; check that it is connected to "
                                       "the clock's network");
}

bool ModuleFinder::find(const QList<QHostAddress> &targets, const QString &searchId)
{
    const std::optional<QByteArray> request = ModuleFrame::searchRequest(searchId);
    if (!request)
        return false;
    stop();
    m_onlyFrom.clear();
    m_modules.clear();
    m_macs.clear();
    m_listFull = false;
    m_error.clear();
    // A socket of its own for each search, so that a late answer to an earlier one is not
    // taken for an answer to this one.
    m_socket = new QUdpSocket(this);
    connect(m_socket, &QUdpSocket::readyRead, this, &ModuleFinder::readAnswers);
    int sent = 0;
    if (!m_socket->bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        m_error = m_socket->errorString();
    } else {
        for (const QHostAddress &target : targets) {
            if (m_socket->writeDatagram(*request, target, m_commandPort) == request->size()) {
                ++sent;
                qCDebug(lcLink) << "search sent to" << target.toString() << "port" << m_commandPort;
            } else {
                qCDebug(lcLink) << "search to" << target.toString()
                                << "not sent:" << m_socket->errorString();
                m_error = unsentText(targets);
            }
        }
    }
    if (sent > 0)
        m_error.clear();
    else if (m_error.isEmpty())
        m_error = tr("no address to search");
    const int waitMs = sent > 0 ? m_waitMs : 0;
    m_end.setRemainingTime(waitMs);
    m_elapsed.start();
    m_deadline.start(waitMs);
    return true;
}

void ModuleFinder::stop()
{
    m_deadline.stop();
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->close();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void ModuleFinder::readAnswers()
{
    for (int turn = 0; turn < AnswersPerTurn; ++turn) {
        if (m_end.hasExpired()) {
            finish();
            return;
        }
        if (!m_socket || !m_socket->hasPendingDatagrams())
            return;
        take(m_socket->receiveDatagram(ModuleFrame::MaxFrameBytes));
    }
    // What is left is read on a later turn: the socket tells again that it has answers.
}

void ModuleFinder::take(const QNetworkDatagram &datagram)
{
    const QHostAddress sender = datagram.senderAddress();
    std::optional<ModuleFrame::ModuleInfo> module = ModuleFrame::readAnswer(datagram.data());
    if (!module || !ModuleFrame::isComplete(*module)) {
        qCDebug(lcLink) << "no whole answer from" << sender.toString();
        return;
    }
    if (!m_onlyFrom.isNull() && !sender.isEqual(m_onlyFrom)) {
        qCDebug(lcLink) << "an answer from" << sender.toString() << "not asked";
        return;
    }
    if (m_macs.contains(module->mac))
        return;
    if (m_modules.size() >= MaxModules) {
        m_listFull = true;
        return;
    }
    module->address = sender.toString();
    m_macs.insert(module->mac);
    m_modules.append(*module);
    emit moduleFound(*module);
}

void ModuleFinder::finish()
{
    qCDebug(lcLink).nospace() << "search ended after " << m_elapsed.elapsed()
                              << " ms: " << m_modules.size() << " modules"
                              << (m_listFull ? ", the list is full" : "");
    stop();
    emit finished();
}
