#include "PeerDirectory.h"

#include "platform/Localization.h"

namespace {
const QByteArray kServiceType("_vennaro._tcp");
}

PeerDirectory::PeerDirectory(QObject *parent) : QObject(parent)
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(kMostWait);
    connect(&m_wait, &QTimer::timeout, this, &PeerDirectory::settle);
    connect(&m_dnsSd, &DnsSdBrowser::settled, this, &PeerDirectory::finderSettled);
    connect(&m_bluetooth, &RfcommFinder::finished, this, &PeerDirectory::finderSettled);
}

bool PeerDirectory::start()
{
    m_searching = int(m_dnsSd.browse(kServiceType)) + int(m_bluetooth.start());
    if (m_searching == 0) {
        m_settled = true;
        return false;
    }
    m_wait.start();
    return true;
}

void PeerDirectory::finderSettled()
{
    if (--m_searching <= 0)
        settle();
}

void PeerDirectory::settle()
{
    if (m_settled)
        return;
    m_settled = true;
    m_wait.stop();
    Q_EMIT settled();
}

QList<PeerDirectory::Entry> PeerDirectory::entriesFrom(const QList<DnsSdService> &services,
                                                       const QList<RfcommFinder::Device> &devices)
{
    QList<Entry> entries;
    for (const DnsSdService &service : services)
        entries.append({QStringLiteral("%1 (%2)").arg(service.name, service.address()), service.address()});
    for (const RfcommFinder::Device &device : devices)
        entries.append({L("KPeerBluetoothDevice").arg(device.name), device.address});
    return entries;
}
