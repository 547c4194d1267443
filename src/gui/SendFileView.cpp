#include "SendFileView.h"

#include "platform/Localization.h"
#include "transfer/SendFileViewController.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SendFileView::SendFileView(SendFileViewController *controller)
    : ScreenView(controller), m_send(controller), m_file(new QLabel), m_address(new QLineEdit), m_port(new QLineEdit),
      m_button(new QPushButton(L("KSend")))
{
    auto *layout = new QVBoxLayout(this);
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setWordWrap(true);
    layout->addWidget(m_file);

    auto *form = new QFormLayout;
    m_address->setObjectName(QStringLiteral("address"));
    m_address->setPlaceholderText(L("KpcIPaddr"));
    m_address->setText(controller->address());
    connect(m_address, &QLineEdit::textChanged, controller, &SendFileViewController::setAddress);
    form->addRow(L("KIPaddr"), m_address);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setPlaceholderText(L("KpcPortNum"));
    m_port->setText(controller->port());
    connect(m_port, &QLineEdit::textChanged, controller, &SendFileViewController::setPort);
    form->addRow(L("KPortNum"), m_port);
    layout->addLayout(form);

    m_button->setObjectName(QStringLiteral("send"));
    connect(m_button, &QPushButton::clicked, this, [this] {
        // Sending closes the keyboard.
        if (QWidget *focus = focusWidget())
            focus->clearFocus();
        m_send->buttonPressed();
    });
    layout->addWidget(m_button);

    auto *noteTitle = new QLabel(L("KNote"));
    QFont bold = noteTitle->font();
    bold.setBold(true);
    noteTitle->setFont(bold);
    layout->addWidget(noteTitle);
    auto *note = new QLabel(L("KtxNote"));
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    refresh();
}

void SendFileView::refresh()
{
    m_file->setText(m_send->fileText());
    m_button->setEnabled(!m_send->isSending());
}
