#pragma once

#include "transfer/PeerFraming.h"

#include <QByteArray>
#include <QList>
#include <QTcpSocket>

// The far end of a peer session written by hand: connects to a listening session on
// loopback, writes framed messages of any content and collects the framed messages it gets.
class RawPeer {
public:
    explicit RawPeer(quint16 port);

    void sendMessage(const QByteArray &message);
    // Sends the hello of this session and waits for the answer: 1 accepted, 0 denied (empty
    // when none came).
    QByteArray sayHello(const QString &displayName);
    // Writes bytes as they are (broken frames).
    void sendRaw(const QByteArray &bytes);
    // Waits until `count` messages have arrived in all (false after five seconds).
    bool waitForMessages(int count);
    bool waitForClose();

    QList<QByteArray> messages;
    QTcpSocket socket;

private:
    void read();
    PeerFraming::Reader m_reader;
};
