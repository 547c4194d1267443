#include "GCLoginView.h"

#include "google/GCLoginController.h"
#include "platform/Localization.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit *field(const QString &name, const QString &text, const QString &placeholder)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}
}

GCLoginView::GCLoginView(GCLoginController *controller)
    : ScreenView(controller), m_login(controller), m_status(new QLabel), m_loginButton(new QPushButton(L("KLogin")))
{
    auto *layout = new QVBoxLayout(this);

    auto *bar = new QHBoxLayout;
    auto *cancel = new QPushButton(L("KCancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(cancel, &QPushButton::clicked, controller, &GCLoginController::cancel);
    auto *title = new QLabel(controller->title());
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    m_loginButton->setObjectName(QStringLiteral("loginButton"));
    m_loginButton->setDefault(true);
    connect(m_loginButton, &QPushButton::clicked, controller, &GCLoginController::login);
    bar->addWidget(cancel);
    bar->addWidget(title, 1);
    bar->addWidget(m_loginButton);
    layout->addLayout(bar);

    auto *form = new QFormLayout;
    m_server = field(QStringLiteral("server"), controller->server(), L("KGCServerPlaceholder"));
    m_server->setInputMethodHints(Qt::ImhUrlCharactersOnly | Qt::ImhNoAutoUppercase);
    connect(m_server, &QLineEdit::textChanged, controller, &GCLoginController::setServer);
    form->addRow(L("KGCServer"), m_server);
    m_email = field(QStringLiteral("email"), controller->email(), L("KGCEmailPlaceholder"));
    m_email->setInputMethodHints(Qt::ImhEmailCharactersOnly | Qt::ImhNoAutoUppercase);
    connect(m_email, &QLineEdit::textChanged, controller, &GCLoginController::setEmail);
    form->addRow(L("KGCEmail"), m_email);
    m_password = field(QStringLiteral("password"), QString(), L("KGCRequired"));
    m_password->setEchoMode(QLineEdit::Password);
    connect(m_password, &QLineEdit::textChanged, controller, &GCLoginController::setPassword);
    connect(m_password, &QLineEdit::returnPressed, controller, &GCLoginController::login);
    form->addRow(L("KGCPassword"), m_password);
    layout->addLayout(form);

    auto *note = new QLabel(L("KGCLoginNote"));
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    layout->addWidget(note);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_status);
    layout->addStretch(1);

    // The first empty field takes the typing.
    for (QLineEdit *edit : {m_server, m_email, m_password}) {
        if (edit->text().isEmpty()) {
            setFocusProxy(edit);
            break;
        }
    }
    refresh();
}

void GCLoginView::refresh()
{
    m_status->setText(m_login->statusText());
    const bool idle = !m_login->isAuthenticating();
    for (QWidget *widget : {static_cast<QWidget *>(m_server), static_cast<QWidget *>(m_email),
                            static_cast<QWidget *>(m_password), static_cast<QWidget *>(m_loginButton)})
        widget->setEnabled(idle);
}
