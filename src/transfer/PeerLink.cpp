#include "PeerLink.h"

#include <QTimer>

namespace {
const int kClosingGrace = 30000; // ms
}

void PeerLink::closeGracefully()
{
    disconnect();
    setParent(nullptr);
    if (isClosed()) {
        deleteLater();
        return;
    }
    connect(this, &PeerLink::closed, this, &QObject::deleteLater);
    QTimer::singleShot(kClosingGrace, this, &QObject::deleteLater);
    disconnectStream();
}
