#pragma once

#include "DnsSd.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells the local network that the web server runs: a UPnP NOTIFY, four datagrams to the
// UPnP group every 30 seconds while running, and a DNS-SD "_http._tcp" service through the
// Avahi daemon when one runs. Only when the user switched on "Announce on the local network"
// (and, for the NOTIFY, the machine has a Wi-Fi or wired address); otherwise nothing is sent.
class Announcer : public QObject {
    Q_OBJECT
public:
    explicit Announcer(QObject *parent = nullptr);

    // The NOTIFY text for a server at address:port on a device with this unique identifier.
    static QByteArray notifyText(const QString &address, int port, const QString &uuid);

    // Where the datagrams go: 239.255.255.250:1900 unless a test points it at loopback.
    void setTarget(const QHostAddress &address, quint16 port);
    void setInterval(int milliseconds) { m_timer.setInterval(milliseconds); }

    // Announces the server on `port` at once and then every interval until stop(). Answers
    // whether announcing started (the setting is on and there is a Wi-Fi address).
    bool start(int port);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    const DnsSdPublisher &dnsSd() const { return m_dnsSd; }

Q_SIGNALS:
    // One round of datagrams went out.
    void announced();

private:
    void announceOnce();

    QHostAddress m_targetAddress;
    quint16 m_targetPort;
    QTimer m_timer;
    DnsSdPublisher m_dnsSd;
    int m_port = 0;
};
