#include "BTTransferView.h"

#include "transfer/BTTransferScreen.h"

#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QLabel *centredLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}
}

BTTransferView::BTTransferView(BTTransferScreen *controller)
    : ScreenView(controller), m_screen(controller), m_panel(new QWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    m_panel->setObjectName(QStringLiteral("panel"));
    m_panel->setAttribute(Qt::WA_StyledBackground);
    auto *panelLayout = new QVBoxLayout(m_panel);
    auto *icon = new QLabel(m_panel);
    icon->setObjectName(QStringLiteral("btIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(64, 64));
    icon->setAlignment(Qt::AlignHCenter);
    panelLayout->addWidget(icon);

    m_labelFile = centredLabel("labelFile", m_panel);
    QFont bold = m_labelFile->font();
    bold.setBold(true);
    m_labelFile->setFont(bold);
    m_labelMSG1 = centredLabel("labelMSG1", m_panel);
    m_labelMSG2 = centredLabel("labelMSG2", m_panel);
    m_labelMSG3 = centredLabel("labelMSG3", m_panel);
    m_labelMSG4 = centredLabel("labelMSG4", m_panel);
    m_progressBar = new QProgressBar(m_panel);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    for (QWidget *widget : {static_cast<QWidget *>(m_labelFile), static_cast<QWidget *>(m_labelMSG1),
                            static_cast<QWidget *>(m_labelMSG2), static_cast<QWidget *>(m_labelMSG3),
                            static_cast<QWidget *>(m_labelMSG4), static_cast<QWidget *>(m_progressBar)})
        panelLayout->addWidget(widget);
    panelLayout->addStretch();
    layout->addWidget(m_panel, 1);

    m_labelStatus = centredLabel("labelStatus", this);
    layout->addWidget(m_labelStatus);
    refresh();
}

void BTTransferView::refresh()
{
    // The two backgrounds: not connected, connected.
    m_panel->setStyleSheet(m_screen->isConnected() ? QStringLiteral("#panel { background: #cfe8cf; border-radius: 8px; }")
                                                   : QStringLiteral("#panel { background: #e4e4e4; border-radius: 8px; }"));
    m_labelFile->setText(m_screen->labelFile());
    m_labelMSG1->setText(m_screen->labelMSG1());
    m_labelMSG2->setText(m_screen->labelMSG2());
    m_labelMSG3->setText(m_screen->labelMSG3());
    m_labelMSG4->setText(m_screen->labelMSG4());
    m_progressBar->setValue(int(m_screen->progress() * 1000));
    m_labelStatus->setText(m_screen->labelStatus());
}
