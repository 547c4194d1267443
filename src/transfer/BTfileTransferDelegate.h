#pragma once

#include <QByteArray>
#include <QString>

// What a file transfer needs of the screen (or command) that owns it: a way to the one
// connected peer and the lines that show the transfer's progress.
class BTfileTransferDelegate {
public:
    virtual ~BTfileTransferDelegate() = default;

    // Delivers one packet to the connected peer, reliably and in order.
    virtual void sendData(const QByteArray &packet) = 0;
    // Ends the session with the peer.
    virtual void disconnect() = 0;

    virtual void setFileLabel(const QString &text) = 0;
    virtual void setFTStatus(const QString &text) = 0;
    virtual void setFTRate(const QString &text) = 0;
    virtual void setFTTime(const QString &text) = 0;
    // Blocks done of all; a total of 0 means there is no progress to show.
    virtual void setFTProgress(int current, int total) = 0;
};
