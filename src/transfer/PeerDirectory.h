#pragma once

#include "DnsSd.h"
#include "Rfcomm.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// The peers the sending screen's picker offers besides a typed address: the receiving screens
// that DNS-SD finds on the local network (only with "Announce on the local network" on and an
// Avahi daemon), and nearby Bluetooth devices with the service (only where there is an adapter).
class PeerDirectory : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QString label;
        QString address; // what PeerTransport::connectToPeer takes
        bool operator==(const Entry &) const = default;
    };

    // How long the picker waits for the first answers at most.
    static constexpr int kMostWait = 4000; // ms

    explicit PeerDirectory(QObject *parent = nullptr);

    // Starts every finder that applies; false when none does (nothing to wait for).
    bool start();
    bool isSettled() const { return m_settled; }
    QList<Entry> entries() const { return entriesFrom(m_dnsSd.services(), m_bluetooth.devices()); }

    // The picker rows: the network's receivers, then the Bluetooth devices.
    static QList<Entry> entriesFrom(const QList<DnsSdService> &services, const QList<RfcommFinder::Device> &devices);

Q_SIGNALS:
    // Every finder told what it found for now, or the wait ran out; once.
    void settled();

private:
    void finderSettled();
    void settle();

    DnsSdBrowser m_dnsSd;
    RfcommFinder m_bluetooth;
    int m_searching = 0;
    bool m_settled = false;
    QTimer m_wait;
};
