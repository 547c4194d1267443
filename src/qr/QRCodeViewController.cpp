#include "QRCodeViewController.h"

#include "MecardText.h"
#include "QRChartRequest.h"
#include "QRCodeImage.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/UiHost.h"

#include <QSaveFile>
#include <QUrl>

namespace {
const char *const kSizeKeys[] = {"KQRCodeSize120x120", "KQRCodeSize230x320", "KQRCodeSize320x320"};
const char *const kSegmentKeys[] = {"KQRSmall", "KQRMedium", "KQRLarge"};
}

QRCodeViewController::QRCodeViewController(QObject *parent) : ScreenController(QRCodeScreen, parent)
{
}

QRCodeViewController::~QRCodeViewController() = default;

QString QRCodeViewController::title() const
{
    return L("KQRCodeTitle");
}

void QRCodeViewController::getQRCode(const EntryDataRef &row)
{
    delete m_request;
    m_request = nullptr;
    _row = row;
    m_name = row ? row->name : QString();
    m_showsSizeChoice = true;
    m_generated = false;
    m_image = QImage();
    m_png.clear();
    setStatus(QString(), false);
}

QStringList QRCodeViewController::sizeSegments()
{
    QStringList segments;
    for (const char *key : kSegmentKeys)
        segments.append(L(key));
    return segments;
}

void QRCodeViewController::setSize(int size)
{
    if (size < Small || size > Large || !m_showsSizeChoice)
        return;
    m_size = size;
    Q_EMIT changed();
}

QString QRCodeViewController::sizeText() const
{
    return L(kSizeKeys[m_size]);
}

QString QRCodeViewController::buttonText() const
{
    return m_generated ? L("KSave") : L("KGenQRCode");
}

bool QRCodeViewController::usesChartService()
{
    return !AppData::sharedInstance().qrChartURL().trimmed().isEmpty();
}

QString QRCodeViewController::noticeText() const
{
    const QString notice = L("KQRcodeMsg");
    if (usesChartService())
        return notice;
    // The warning is the notice's last paragraph.
    const int last = notice.lastIndexOf(QLatin1String("\n\n"));
    return last < 0 ? notice : notice.left(last);
}

QRect QRCodeViewController::imageFrame(const QSize &imageSize)
{
    if (imageSize.width() <= 0 || imageSize.height() <= 0)
        return QRect();
    if (imageSize.width() <= kImageAreaWidth)
        return QRect((kImageAreaWidth - imageSize.width()) / 2, 0, imageSize.width(), imageSize.height());
    const QSize scaled = imageSize.scaled(kImageAreaWidth, kImageAreaWidth, Qt::KeepAspectRatio);
    return QRect((kImageAreaWidth - scaled.width()) / 2, 0, scaled.width(), scaled.height());
}

bool QRCodeViewController::isLoading() const
{
    return m_request && m_request->isRunning();
}

QByteArray QRCodeViewController::imageBytes() const
{
    return m_request ? m_request->received() : m_png;
}

void QRCodeViewController::buttonPressed()
{
    if (m_generated)
        save();
    else
        generate();
}

void QRCodeViewController::generate()
{
    if (!_row)
        return;
    // Without the person nothing is sent; the screen says why and can be tried again.
    ABAddressBookRef book = ABSources::openAddressBook("buildQRCodeString");
    if (!book) {
        setStatus(L("KErrCreateAddrBook"), true);
        return;
    }
    ABRecordRef person = book->personWithRecordID(_row->recID);
    if (!person) {
        DevLog::log(QStringLiteral("buildQRCodeString no person %1").arg(_row->recID));
        setStatus(L("KErrCreateAllpeople"), true);
        return;
    }
    const QString text = MecardText::build(*person, AppData::sharedInstance().flagsExp());
    person.reset();
    book.reset();

    m_showsSizeChoice = false;
    m_generated = true;
    const int pixels = QRCodeImage::pixelsForSize(m_size);
    if (usesChartService()) {
        delete m_request;
        m_request = new QRChartRequest(this);
        connect(m_request, &QRChartRequest::responded, this, &QRCodeViewController::onResponded);
        connect(m_request, &QRChartRequest::finished, this, &QRCodeViewController::onFinished);
        connect(m_request, &QRChartRequest::failed, this, &QRCodeViewController::onFailed);
        setStatus(L("KConnecting"), false);
        m_request->start(QUrl(AppData::sharedInstance().qrChartURL().trimmed()), text, pixels);
        return;
    }
    Result<QImage> image = QRCodeImage::render(text, pixels);
    if (!image) {
        DevLog::log(QStringLiteral("buildQRCodeString %1").arg(image.error()));
        setStatus(L("KQRTooMuchData"), true);
        return;
    }
    m_image = *image;
    m_png = QRCodeImage::toPng(m_image);
    setStatus(QString(), false);
}

void QRCodeViewController::save()
{
    UiHost *host = UiHost::current();
    if (!host)
        return;
    const std::optional<QString> name =
        host->askTextEntry(QStringLiteral("Vennaro"), L("KFilename"), {L("KpcFilename"), L("KCancel"), L("KSave")});
    if (!name || name->isEmpty())
        return;
    if (name->contains(QLatin1Char('/')) || name->contains(QChar(QChar::Null))) {
        showError(L("KInvalidFilename"));
        return;
    }
    const QString path = Documents::filePath(*name + QStringLiteral(".png"));
    QSaveFile file(path);
    const QByteArray bytes = imageBytes();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        DevLog::log(QStringLiteral("saveQRCode %1: %2").arg(path, file.errorString()));
        showError(L("KErrWriteFile").arg(*name, QStringLiteral("png")));
    }
}

void QRCodeViewController::setStatus(const QString &text, bool error)
{
    m_status = text;
    m_statusIsError = error;
    Q_EMIT changed();
}

void QRCodeViewController::onResponded(bool isPng)
{
    if (isPng)
        setStatus(L("KRcvImage"), false);
    else
        setStatus(L("KErrInvalidResponse"), true);
}

void QRCodeViewController::onFinished()
{
    QImage image;
    if (image.loadFromData(m_request->received()) && image.width() > 0 && image.height() > 0)
        m_image = image;
    Q_EMIT changed();
}

void QRCodeViewController::onFailed(const QString &message)
{
    DevLog::log(QStringLiteral("didFailWithError %1").arg(message));
    setStatus(message, true);
}
