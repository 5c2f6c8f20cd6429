#include "shell/SingleInstance.h"

#include <QLocalSocket>

#include <unistd.h>

namespace tarrowin {

SingleInstance::SingleInstance(QObject* parent) : QObject(parent), m_name(channelFor()) {
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QByteArray command = socket->readAll();
                socket->write("OK");
                socket->flush();
                emit commandReceived(command);
            });
        }
    });
}

QString SingleInstance::channelFor(const QString& suffix) {
    const QString who = suffix.isEmpty() ? QString::number(::getuid()) : suffix;
    return QStringLiteral("Project1-FormDDE-") + who;
}

SingleInstance::Probe SingleInstance::handOver(const QByteArray& command, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs)) return Probe::NoneRunning;
    socket.write(command);
    if (!socket.waitForBytesWritten(timeoutMs)) return Probe::NoAnswer;
    // The running copy answers once it has taken the command.
    if (!socket.waitForReadyRead(timeoutMs)) return Probe::NoAnswer;
    socket.disconnectFromServer();
    return Probe::HandedOver;
}

bool SingleInstance::listen() {
    if (m_server.isListening()) return true;
    if (m_server.listen(m_name)) return true;
    // A socket file left by a copy that crashed: nobody answers on it, so it may go.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(200)) return false;
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}

} // namespace tarrowin
