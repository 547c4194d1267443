#pragma once

#include "addressbook/EntryData.h"
#include "selection/QRCodeReceiver.h"
#include "shell/ScreenController.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

class QRChartRequest;

// The QR screen (screen 18): the QR code of the one contact the selection list hands over.
// The first press of the button makes the image (on this machine, or by the chart web service
// when one is configured), the second saves it as NAME.png in the documents folder.
class QRCodeViewController : public ScreenController, public QRCodeReceiver {
    Q_OBJECT
public:
    enum Size { Small = 0, Medium = 1, Large = 2 };

    explicit QRCodeViewController(QObject *parent = nullptr);
    ~QRCodeViewController() override;

    QString title() const override;

    // QRCodeReceiver: shows the row's name and starts over with the size choice.
    void getQRCode(const EntryDataRef &row) override;
    QString nameText() const { return m_name; }

    // The size choice, shown until the image is asked for.
    static QStringList sizeSegments();
    int size() const { return m_size; }
    void setSize(int size);
    QString sizeText() const;
    bool showsSizeChoice() const { return m_showsSizeChoice; }

    // "Generate QR Code", then "Save".
    QString buttonText() const;
    void buttonPressed();

    // The line under the button ("Connecting ...", an error …); errors are drawn in red.
    QString statusText() const { return m_status; }
    bool statusIsError() const { return m_statusIsError; }

    // The notice under the image. It warns of the Internet connection only when the chart
    // service is used.
    QString noticeText() const;
    // Whether the chart web service makes the images (a chart address is set).
    static bool usesChartService();

    // The image once made; a null image before.
    const QImage &image() const { return m_image; }
    // Where the image goes in an area 320 wide: at its own size centred when it is at most
    // 320 wide, else scaled into 320 x 320 keeping its proportions.
    static QRect imageFrame(const QSize &imageSize);
    static constexpr int kImageAreaWidth = 320;

    // While the chart service's answer is awaited.
    bool isLoading() const;

    // The bytes Save writes: the PNG made here, or whatever the chart service sent so far.
    QByteArray imageBytes() const;

private:
    void generate();
    void save();
    void setStatus(const QString &text, bool error);
    void onResponded(bool isPng);
    void onFinished();
    void onFailed(const QString &message);

    EntryDataRef _row;
    QString m_name;
    int m_size = Medium;
    bool m_showsSizeChoice = true;
    bool m_generated = false;
    QString m_status;
    bool m_statusIsError = false;
    QImage m_image;
    QByteArray m_png;
    QRChartRequest *m_request = nullptr;
};
