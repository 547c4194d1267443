#include "QRCodeView.h"

#include "qr/QRCodeViewController.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

QRCodeView::QRCodeView(QRCodeViewController *controller)
    : ScreenView(controller), m_qr(controller), m_name(new QLabel), m_sizeRow(new QWidget), m_sizeText(new QLabel),
      m_button(new QPushButton), m_status(new QLabel), m_image(new QLabel), m_notice(new QLabel)
{
    auto *layout = new QVBoxLayout(this);
    m_name->setObjectName(QStringLiteral("name"));
    QFont nameFont = m_name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.2);
    m_name->setFont(nameFont);
    m_name->setAlignment(Qt::AlignHCenter);
    layout->addWidget(m_name);

    m_sizeRow->setObjectName(QStringLiteral("sizeRow"));
    auto *sizeLayout = new QVBoxLayout(m_sizeRow);
    sizeLayout->setContentsMargins(0, 0, 0, 0);
    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    m_sizes = new QButtonGroup(m_sizeRow);
    const QStringList texts = QRCodeViewController::sizeSegments();
    for (int i = 0; i < texts.size(); ++i) {
        auto *button = new QPushButton(texts[i]);
        button->setObjectName(QStringLiteral("size") + QString::number(i));
        button->setCheckable(true);
        m_sizes->addButton(button, i);
        segments->addWidget(button);
    }
    connect(m_sizes, &QButtonGroup::idClicked, controller, &QRCodeViewController::setSize);
    sizeLayout->addLayout(segments);
    m_sizeText->setObjectName(QStringLiteral("sizeText"));
    m_sizeText->setAlignment(Qt::AlignHCenter);
    sizeLayout->addWidget(m_sizeText);
    layout->addWidget(m_sizeRow);

    m_button->setObjectName(QStringLiteral("qrButton"));
    connect(m_button, &QPushButton::clicked, controller, &QRCodeViewController::buttonPressed);
    layout->addWidget(m_button);

    m_status->setObjectName(QStringLiteral("status"));
    m_status->setAlignment(Qt::AlignHCenter);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    m_image->setObjectName(QStringLiteral("image"));
    m_image->setFixedWidth(QRCodeViewController::kImageAreaWidth);
    m_image->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(m_image, 0, Qt::AlignHCenter);

    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);
    layout->addWidget(m_notice);
    layout->addStretch();
    refresh();
}

void QRCodeView::refresh()
{
    m_name->setText(m_qr->nameText());
    if (QAbstractButton *size = m_sizes->button(m_qr->size()))
        size->setChecked(true);
    m_sizeText->setText(m_qr->sizeText());
    m_sizeRow->setVisible(m_qr->showsSizeChoice());
    m_button->setText(m_qr->buttonText());
    m_status->setText(m_qr->statusText());
    m_status->setStyleSheet(m_qr->statusIsError() ? QStringLiteral("color: red;") : QString());
    const QImage &image = m_qr->image();
    if (image.isNull()) {
        m_image->clear();
        m_image->setFixedHeight(0);
    } else {
        const QRect frame = QRCodeViewController::imageFrame(image.size());
        m_image->setPixmap(QPixmap::fromImage(image.scaled(frame.size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
        m_image->setFixedHeight(frame.height());
    }
    m_notice->setText(m_qr->noticeText());
}
