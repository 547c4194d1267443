#include "BTfileTransfer.h"

#include "BTfileTransferDelegate.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/UiHost.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdio>
#include <zlib.h>

using PeerPacket::Checked;

namespace {
const QString kBlank = QStringLiteral(" ");
const QLatin1String kPartSuffix(".part");
const qint64 kLargestFile = 0x7fffffff;

QString fileLabel(const QString &name, qint64 size)
{
    return QStringLiteral("%1 (%2)").arg(name, BTfileTransfer::toSizeText(size));
}

QString rateText(qint64 bytesPerSecond)
{
    return L("KRatePerSec").arg(BTfileTransfer::toSizeText(bytesPerSecond));
}
}

BTfileTransfer::BTfileTransfer(BTfileTransferDelegate *delegate, bool isServer, Clock clock, QObject *parent)
    : QObject(parent), _delegate(delegate), _isServer(isServer), m_clock(std::move(clock)),
      m_readBuffer(PeerPacket::kMaxBlockSize, '\0')
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentSecsSinceEpoch(); };
    m_sendBuffer.reserve(PeerPacket::kHeaderLength + PeerPacket::kMaxBlockSize);
    if (!_isServer)
        m_nextPacket.reserve(PeerPacket::kHeaderLength + PeerPacket::kMaxBlockSize);
    _timer.setInterval(kWatchDogInterval * 1000);
    connect(&_timer, &QTimer::timeout, this, &BTfileTransfer::watchDog);
    _timer.start();
}

BTfileTransfer::~BTfileTransfer() = default;

void BTfileTransfer::done()
{
    _timer.stop();
}

void BTfileTransfer::cleanup()
{
    if (fh()) {
        closeFile();
        if (_isServer)
            removePartialFile();
    }
    _lastpacket = 0;
    m_sendState = SendState::Idle;
}

void BTfileTransfer::disconnected()
{
    if (!fh())
        return;
    _delegate->setFTStatus(L("KInterrupted"));
    cleanup();
}

int32_t BTfileTransfer::blockSizeFor(qint64 fileSize, int settingKiB)
{
    const qint64 setting = qint64(qBound(5, settingKiB, 30)) * 1024;
    return int32_t(qBound(qint64(1), qMin(setting, fileSize / 4), qint64(PeerPacket::kMaxBlockSize)));
}

bool BTfileTransfer::setFile(const QString &name)
{
    _filename = QFileInfo(name).isAbsolute() ? name : Documents::filePath(name);
    if (_isServer)
        return true;
    const qint64 size = QFileInfo(_filename).size();
    if (size > kLargestFile) {
        showError(L("KFileTooLarge").arg(QFileInfo(name).fileName(), toSizeText(size)));
        _filename.clear();
        return false;
    }
    _fileSize = int32_t(size);
    _blockSize = blockSizeFor(size, AppData::sharedInstance().btBlockSize());
    _delegate->setFileLabel(fileLabel(QFileInfo(name).fileName(), size));
    return true;
}

void BTfileTransfer::sendFileHeader()
{
    if (_filename.isEmpty() || m_sendState != SendState::Idle)
        return;
    PeerPacket::FileHeader header{_fileSize, _blockSize, QFileInfo(_filename).fileName()};
    sendNetworkPacket(PeerPacket::PacketFileHeader, 0, header.encode());
    m_sendState = SendState::HeaderSent;
}

void BTfileTransfer::sendNetworkPacket(uint8_t type, uint32_t sequence, QByteArrayView data)
{
    PeerPacket::build(m_sendBuffer, type, sequence, data);
    _delegate->sendData(m_sendBuffer);
}

void BTfileTransfer::receiveData(const QByteArray &packet)
{
    const std::optional<Checked> checked = PeerPacket::validateHeader(packet);
    if (!checked)
        return;
    if (_isServer)
        srvReceiveData(*checked);
    else
        cliReceiveData(*checked);
}

void BTfileTransfer::cliReceiveData(const Checked &packet)
{
    switch (packet.type) {
    case PeerPacket::PacketAck:
        // An answer is only awaited between the header and the end packet.
        if (m_sendState != SendState::HeaderSent && m_sendState != SendState::Sending) {
            DevLog::log(QStringLiteral("-[BTfileTransfer cliReceiveData:] acknowledgement %1 dropped: nothing awaits it")
                            .arg(packet.sequence));
            return;
        }
        _lastpacket = now();
        if (packet.sequence == _sequence) {
            sendFile();
        } else {
            m_sendState = SendState::Stalled;
            showError(L("KInvalidResponse"));
        }
        break;
    case PeerPacket::PacketReceived:
    case PeerPacket::PacketCRCError:
        // Only the end packet is answered this way; an early verdict would hide a transfer
        // that is still running.
        if (m_sendState != SendState::EndSent) {
            DevLog::log(QStringLiteral("-[BTfileTransfer cliReceiveData:] verdict %1 before the end packet dropped")
                            .arg(packet.type));
            return;
        }
        _lastpacket = 0;
        m_sendState = SendState::Idle;
        _delegate->setFTStatus(packet.type == PeerPacket::PacketReceived ? L("KbtTXok") : L("KbtCRCerror"));
        break;
    default:
        break;
    }
}

void BTfileTransfer::sendFile()
{
    if (!fh()) {
        _crc32 = 0;
        _sequence = 0;
        _fh.setFileName(_filename);
        if (!_fh.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            m_sendState = SendState::Stalled;
            showError(L("KErrOpenFile"));
            return;
        }
        m_sendState = SendState::Sending;
        _timestart = now();
        _delegate->setFTStatus(L("KTransmitting"));
        _delegate->setFTRate(kBlank);
        _delegate->setFTTime(kBlank);
        _delegate->setFTProgress(0, 0);
        readNextBlock();
    }
    if (m_nextCount > 0) {
        // The block leaves first; its checksum, the progress texts and the next read are done
        // while it travels and its answer comes back.
        ++_sequence;
        _delegate->sendData(m_nextPacket);
        _crc32 = updateCrc32(_crc32, QByteArrayView(m_readBuffer.constData(), m_nextCount));
        showProgress(int(_sequence));
        readNextBlock();
    } else if (m_nextCount == 0) {
        _delegate->setFTStatus(L("KFinished"));
        showFinalTimes();
        m_sendState = SendState::EndSent;
        sendNetworkPacket(PeerPacket::PacketEnd, _crc32);
        closeFile();
    } else {
        DevLog::log(QStringLiteral("-[BTfileTransfer sendFile] read error: %1").arg(_fh.errorString()));
        m_sendState = SendState::Stalled;
        _delegate->setFTStatus(L("KError"));
        closeFile();
    }
}

void BTfileTransfer::readNextBlock()
{
    m_nextCount = _fh.read(m_readBuffer.data(), _blockSize);
    // Nothing read before the end is a read error too.
    if (m_nextCount == 0 && !_fh.atEnd())
        m_nextCount = -1;
    if (m_nextCount > 0)
        PeerPacket::build(m_nextPacket, PeerPacket::PacketData, _sequence + 1, QByteArrayView(m_readBuffer.constData(), m_nextCount));
}

void BTfileTransfer::srvReceiveData(const Checked &packet)
{
    switch (packet.type) {
    case PeerPacket::PacketFileHeader:
        receiveFileHeader(packet);
        break;
    case PeerPacket::PacketData:
    case PeerPacket::PacketEnd:
        if (!fh()) {
            DevLog::log(QStringLiteral("-[BTfileTransfer srvReceiveData:] packet %1 dropped: no file is open").arg(packet.type));
            return;
        }
        if (packet.type == PeerPacket::PacketData)
            receiveBlock(packet);
        else
            receiveEnd(packet);
        break;
    default:
        break;
    }
}

void BTfileTransfer::receiveFileHeader(const Checked &packet)
{
    const std::optional<PeerPacket::FileHeader> header = PeerPacket::FileHeader::decode(packet.data);
    if (!header)
        return;
    // A new header replaces a transfer that never ended.
    cleanup();
    _delegate->setFileLabel(fileLabel(header->name, header->fileSize));
    _delegate->setFTStatus(L("KbtReceiving"));
    _delegate->setFTRate(kBlank);
    _delegate->setFTTime(kBlank);
    _delegate->setFTProgress(0, 0);
    _timestart = _lastpacket = now();
    _fileSize = header->fileSize;
    _blockSize = header->blockSize;
    _crc32 = 0;
    m_writeFailed = false;
    _filename = Documents::filePath(header->name + kPartSuffix);
    _fh.setFileName(_filename);
    // Unbuffered: a failed write shows at once, not at a later flush.
    if (!_fh.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        showError(L("KErrOpenFile"));
        return;
    }
    sendNetworkPacket(PeerPacket::PacketAck, packet.sequence);
}

void BTfileTransfer::receiveBlock(const Checked &packet)
{
    _lastpacket = now();
    // A file that lost a block gets no more answers: the transfer stalls and the watchdogs end
    // it, as when the lost block itself goes unanswered.
    if (m_writeFailed) {
        DevLog::log(QStringLiteral("-[BTfileTransfer srvReceiveData:] block %1 dropped: an earlier block was not stored").arg(packet.sequence));
        return;
    }
    // Answered before it is stored: the write, the checksum and the progress texts are done
    // while the next block is on its way (the write is the slowest step of a block).
    sendNetworkPacket(PeerPacket::PacketAck, packet.sequence);
    const qint64 written = packet.data.isEmpty() ? 0 : _fh.write(packet.data.data(), packet.data.size());
    // A short write is no success either: the file would differ from what the CRC covers.
    if (written == packet.data.size()) {
        _crc32 = updateCrc32(_crc32, packet.data);
    } else {
        DevLog::log(QStringLiteral("-[BTfileTransfer saveFile:andData:dataSize:] ERROR fwrite %1").arg(written));
        m_writeFailed = true;
    }
    showProgress(int(packet.sequence));
}

void BTfileTransfer::receiveEnd(const Checked &packet)
{
    // The end behind a block that was not stored: no answer, so that the sender never hears
    // of success; the watchdog removes the partial file.
    if (m_writeFailed) {
        DevLog::log(QStringLiteral("-[BTfileTransfer srvReceiveData:] end dropped: a block was not stored"));
        return;
    }
    _lastpacket = 0;
    closeFile();
    if (packet.sequence != _crc32) {
        _delegate->setFTStatus(L("KbtCRCerror"));
        removePartialFile();
        sendNetworkPacket(PeerPacket::PacketCRCError, 0);
    } else if (!storeReceivedFile()) {
        _delegate->setFTStatus(L("KError"));
        removePartialFile();
        sendNetworkPacket(PeerPacket::PacketCRCError, 0);
    } else {
        _delegate->setFTStatus(L("KbtFileReceived"));
        sendNetworkPacket(PeerPacket::PacketReceived, 0);
    }
    showFinalTimes();
    _delegate->disconnect();
}

bool BTfileTransfer::storeReceivedFile()
{
    const QString finalPath = _filename.chopped(kPartSuffix.size());
    // rename() replaces the old file in one step: there is always one whole file by that name.
    if (std::rename(QFile::encodeName(_filename).constData(), QFile::encodeName(finalPath).constData()) != 0) {
        DevLog::log(QStringLiteral("-[BTfileTransfer srvReceiveData:] cannot rename %1 to %2").arg(_filename, finalPath));
        return false;
    }
    Q_EMIT fileReceived(finalPath);
    return true;
}

void BTfileTransfer::showProgress(int current)
{
    // A header that announced no block size has no progress to show.
    if (_blockSize <= 0)
        return;
    const int total = _fileSize / _blockSize + (_fileSize % _blockSize ? 1 : 0);
    _delegate->setFTProgress(current, total);
    const qint64 elapsed = now() - _timestart;
    if (elapsed <= 0)
        return;
    const qint64 speed = qint64(current) * _blockSize / elapsed;
    _delegate->setFTRate(rateText(speed));
    if (speed == 0)
        return;
    const float left = float(qint64(total) * _blockSize) / float(speed) - float(elapsed);
    _delegate->setFTTime(etaText(left));
}

void BTfileTransfer::showFinalTimes()
{
    const qint64 elapsed = now() - _timestart;
    if (elapsed > 0)
        _delegate->setFTRate(rateText(_fileSize / elapsed));
    _delegate->setFTTime(L("KTime").arg(elapsed));
}

void BTfileTransfer::watchDog()
{
    if (_lastpacket == 0 || now() - _lastpacket <= kPacketTimeout)
        return;
    DevLog::log(QStringLiteral("----------- PKT TIMEOUT ------------"));
    closeFile();
    _delegate->disconnect();
    _delegate->setFTStatus(L("KTimeout"));
    if (_isServer)
        removePartialFile();
    _lastpacket = 0;
    m_sendState = SendState::Idle;
}

void BTfileTransfer::closeFile()
{
    if (_fh.isOpen())
        _fh.close();
}

void BTfileTransfer::removePartialFile()
{
    if (!_filename.isEmpty())
        QFile::remove(_filename);
}

QString BTfileTransfer::toSizeText(qint64 bytes)
{
    if (bytes < 1024)
        return L("KSizeBytes").arg(bytes);
    const double value = double(float(bytes));
    if (bytes < 1048576)
        return QString::asprintf("%.2f KB", value / 1024);
    if (bytes < 1073741824)
        return QString::asprintf("%.2f MB", value / 1048576);
    return QString::asprintf("%.2f GB", value / 1073741824);
}

QString BTfileTransfer::etaText(float secondsLeft)
{
    if (secondsLeft > 60)
        return L("KETAMins").arg(QString::number(secondsLeft / 60.0, 'f', 1));
    return L("KETASecs").arg(QString::number(secondsLeft, 'f', 1));
}

uint32_t BTfileTransfer::updateCrc32(uint32_t crc, QByteArrayView bytes)
{
    // zlib answers 0 for a null buffer; an empty block must leave the running value alone.
    if (bytes.isEmpty())
        return crc;
    return uint32_t(crc32(crc, reinterpret_cast<const Bytef *>(bytes.data()), uInt(bytes.size())));
}
