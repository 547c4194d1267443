#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One window per documents folder: a second start hands its file (or nothing, to bring the
// window forward) to the running one over a local socket and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);

    // The socket name for a documents folder and this user.
    static QString serverName(const QString &documentsDir);

    // Hands `message` to a running instance; false when none answers.
    bool sendToRunning(const QString &message);
    // Starts answering later starts; false when the socket cannot be created.
    bool listen();

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    QString m_name;
    QLocalServer *m_server = nullptr;
};
