#include "HttpSrvView.h"

#include "platform/Localization.h"
#include "transfer/HttpSrvViewController.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

HttpSrvView::HttpSrvView(HttpSrvViewController *controller)
    : ScreenView(controller), m_server(controller), m_port(new QLineEdit), m_button(new QPushButton), m_status(new QLabel),
      m_trace(new QLabel)
{
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setPlaceholderText(L("KpcPort"));
    m_port->setText(controller->portText());
    connect(m_port, &QLineEdit::textEdited, this, &HttpSrvView::portEdited);
    form->addRow(L("KServerPort"), m_port);
    layout->addLayout(form);

    m_button->setObjectName(QStringLiteral("startStop"));
    connect(m_button, &QPushButton::clicked, this, [this] {
        // The button closes the keyboard.
        m_port->clearFocus();
        m_server->buttonAction();
    });
    layout->addWidget(m_button);

    m_status->setObjectName(QStringLiteral("status"));
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setMargin(8);
    // File names from the network are shown as they are, never as markup.
    m_status->setTextFormat(Qt::PlainText);
    layout->addWidget(m_status);

    auto *noteTitle = new QLabel(L("KNote"));
    QFont bold = noteTitle->font();
    bold.setBold(true);
    noteTitle->setFont(bold);
    layout->addWidget(noteTitle);
    auto *note = new QLabel(L("KWEBnote"));
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    layout->addWidget(note);

    m_trace->setObjectName(QStringLiteral("trace"));
    m_trace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_trace->setFrameShape(QFrame::StyledPanel);
    m_trace->setMargin(6);
    m_trace->setTextFormat(Qt::PlainText);
    layout->addWidget(m_trace);
    layout->addStretch();
    refresh();
}

void HttpSrvView::portEdited(const QString &text)
{
    if (m_server->editPort(text))
        return;
    // Refused: the field keeps what it had.
    const int cursor = m_port->cursorPosition();
    m_port->setText(m_server->portText());
    m_port->setCursorPosition(std::min(cursor, int(m_server->portText().size())));
}

void HttpSrvView::refresh()
{
    if (m_port->text() != m_server->portText())
        m_port->setText(m_server->portText());
    m_button->setText(m_server->buttonText());
    m_status->setText(m_server->statusText());
    const bool running = m_server->statusType() == HttpSrvViewController::Running;
    m_status->setStyleSheet(running ? QStringLiteral("background: #303030; color: white;")
                                    : QStringLiteral("background: #303030; color: red;"));
    m_trace->setVisible(m_server->traceShown());
    m_trace->setText(m_server->traceText().chopped(1));
}
