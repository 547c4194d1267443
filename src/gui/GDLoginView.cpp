#include "GDLoginView.h"

#include "cloud/GDLoginController.h"
#include "platform/Localization.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

GDLoginView::GDLoginView(GDLoginController *controller)
    : ScreenView(controller), m_login(controller), m_signIn(new QPushButton(controller->buttonTitle(), this)), m_waiting(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    m_signIn->setObjectName(QStringLiteral("signIn"));
    connect(m_signIn, &QPushButton::clicked, controller, &GDLoginController::signIn);
    layout->addWidget(m_signIn);
    m_waiting->setObjectName(QStringLiteral("waiting"));
    m_waiting->setText(L("KGoogleSignInWaiting"));
    layout->addWidget(m_waiting);
    auto *note = new QLabel(controller->note(), this);
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(note);
    layout->addStretch(1);
    refresh();
}

void GDLoginView::refresh()
{
    m_signIn->setEnabled(!m_login->isWaiting());
    m_waiting->setVisible(m_login->isWaiting());
}
