#pragma once

// One running copy per user. The running copy listens on a local socket named
// after the activation link (application "Project1", topic "FormDDE") and the
// user; a second start connects, sends its command ("M") and ends.

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace tarrowin {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);

    // The socket name for this user, or for the given suffix (tests use their own).
    static QString channelFor(const QString& suffix = {});
    void setChannelName(const QString& name) { m_name = name; }
    const QString& channelName() const { return m_name; }

    enum class Probe { NoneRunning, HandedOver, NoAnswer };
    // Looks for a running copy and hands it `command`. NoAnswer: a copy holds the
    // channel but did not take the command.
    Probe handOver(const QByteArray& command, int timeoutMs = 1000);
    // Starts listening; false when another process already holds the channel.
    bool listen();
    bool isListening() const { return m_server.isListening(); }
    void close() { m_server.close(); }

signals:
    // A command arrived from a second start.
    void commandReceived(const QByteArray& command);

private:
    QString m_name;
    QLocalServer m_server;
};

} // namespace tarrowin
