// `vennaro qr`: the QR code of one contact as a PNG file in the documents folder.

#include "Command.h"
#include "addressbook/ABSources.h"
#include "addressbook/EntryData.h"
#include "platform/Localization.h"
#include "qr/MecardText.h"
#include "qr/QRChartRequest.h"
#include "qr/QRCodeImage.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QEventLoop>
#include <QSaveFile>
#include <QUrl>

namespace {

const QStringList kSizeNames{QStringLiteral("small"), QStringLiteral("medium"), QStringLiteral("large")};

// The chart service's answer, waited for; an Error with the text the QR screen would show.
Result<QByteArray> fetchFromChartService(const QString &text, int pixels)
{
    QRChartRequest request;
    QEventLoop loop;
    bool isPng = false;
    QString failure;
    QObject::connect(&request, &QRChartRequest::responded, &loop, [&isPng](bool png) { isPng = png; });
    QObject::connect(&request, &QRChartRequest::finished, &loop, &QEventLoop::quit);
    QObject::connect(&request, &QRChartRequest::failed, &loop, [&](const QString &message) {
        failure = message;
        loop.quit();
    });
    request.start(QUrl(AppData::sharedInstance().qrChartURL().trimmed()), text, pixels);
    loop.exec();
    if (!failure.isEmpty())
        return Error{failure};
    if (!isPng)
        return Error{L("KErrInvalidResponse")};
    return request.received();
}

int runQr(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("qr: give one record identifier"));
    bool ok = false;
    const int id = args.positional.first().toInt(&ok);
    if (!ok || id < 0)
        return Commands::fail(QStringLiteral("qr: \"%1\" is not a record identifier").arg(args.positional.first()));
    const int size = kSizeNames.indexOf(args.value(QStringLiteral("size"), QStringLiteral("medium")).toLower());
    if (size < 0)
        return Commands::fail(QStringLiteral("qr: --size is small, medium or large"));

    ABAddressBookRef book = ABSources::openAddressBook("buildQRCodeString");
    if (!book)
        return Commands::fail(L("KErrCreateAddrBook"));
    ABRecordRef person = book->personWithRecordID(id);
    if (!person)
        return Commands::fail(QStringLiteral("qr: no person has the identifier %1").arg(id));
    const QString text = MecardText::build(*person, AppData::sharedInstance().flagsExp());
    if (args.has(QStringLiteral("text"))) {
        Commands::out() << text << Qt::endl;
        return 0;
    }

    QString name = args.value(QStringLiteral("name"));
    if (name.isEmpty()) {
        EntryList rows;
        EntryData::appendRow(rows, *person, id, true);
        if (rows.isEmpty() || rows.first()->name.isEmpty())
            return Commands::fail(QStringLiteral("qr: the person has no name; give the file a --name"));
        name = rows.first()->name;
    }
    // The file stays in the documents folder whatever the name holds.
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.remove(QChar(QChar::Null));
    person.reset();
    book.reset();

    const int pixels = QRCodeImage::pixelsForSize(size);
    QByteArray png;
    if (AppData::sharedInstance().qrChartURL().trimmed().isEmpty()) {
        Result<QImage> image = QRCodeImage::render(text, pixels);
        if (!image)
            return Commands::fail(L("KQRTooMuchData") + QStringLiteral(" (") + image.error() + QLatin1Char(')'));
        png = QRCodeImage::toPng(*image);
    } else {
        Result<QByteArray> fetched = fetchFromChartService(text, pixels);
        if (!fetched)
            return Commands::fail(QStringLiteral("qr: ") + fetched.error());
        png = *fetched;
    }

    const QString path = Documents::filePath(name + QStringLiteral(".png"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return Commands::fail(L("KErrWriteFile").arg(name, QStringLiteral("png")) + QLatin1Char(' ') + file.errorString());
    Commands::out() << path << Qt::endl;
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("qr"), QStringLiteral("the QR code of one contact as a PNG file"),
                 QStringLiteral("Usage: vennaro qr ID [--size small|medium|large] [--name NAME]\n"
                                "       vennaro qr ID --text\n\n"
                                "Writes the MECARD text of the person with this record identifier as a QR code\n"
                                "to NAME.png in the documents folder (replacing it) and prints its path. The\n"
                                "size is 120x120, 230x230 (the default) or 320x320 pixels; the name defaults to\n"
                                "the contact's name, with \"/\" replaced by \"_\". The export field filter\n"
                                "(setting ExportFlags) decides which fields go in. The image is made on this\n"
                                "machine unless the setting QRChartURL names a chart service to POST to.\n"
                                "--text prints the MECARD text instead."),
                 {QStringLiteral("size"), QStringLiteral("name")},
                 {QStringLiteral("text")},
                 runQr});
