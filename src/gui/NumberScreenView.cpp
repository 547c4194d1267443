#include "NumberScreenView.h"

#include "numbers/NumberPassScreen.h"
#include "platform/Localization.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

NumberScreenView::NumberScreenView(NumberPassScreen *screen)
    : ScreenView(screen), m_screen(screen), m_pages(new QStackedWidget), m_formLayout(new QVBoxLayout),
      m_report(new QTextBrowser), m_done(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    auto *form = new QWidget;
    form->setLayout(m_formLayout);
    m_pages->addWidget(form);
    m_report->setObjectName(QStringLiteral("report"));
    m_report->setOpenLinks(false);
    m_pages->addWidget(m_report);

    m_done->setObjectName(QStringLiteral("doneButton"));
    m_done->setText(L("KDone"));
    m_done->setAutoRaise(true);
    connect(m_done, &QToolButton::clicked, screen, [screen] { screen->buttonPressed(NumberPassScreen::DoneTag); });
}

QLineEdit *NumberScreenView::textField(const QString &name, const QString &placeholder)
{
    auto *field = new QLineEdit;
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    field->setClearButtonEnabled(true);
    QObject::connect(field, &QLineEdit::returnPressed, field, &QWidget::clearFocus);
    return field;
}

void NumberScreenView::showText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

void NumberScreenView::finishForm(const QString &helpText)
{
    auto *buttons = new QHBoxLayout;
    const QList<std::pair<int, const char *>> passButtons{{NumberPassScreen::PreviewTag, "KPreview"},
                                                          {NumberPassScreen::CommitTag, "KCommit"}};
    for (const auto &[tag, key] : passButtons) {
        auto *button = new QPushButton(L(key));
        button->setObjectName(tag == NumberPassScreen::PreviewTag ? QStringLiteral("previewButton") : QStringLiteral("commitButton"));
        connect(button, &QPushButton::clicked, m_screen, [this, tag] {
            // The fields give up the keyboard first.
            if (QWidget *focused = focusWidget())
                focused->clearFocus();
            m_screen->buttonPressed(tag);
        });
        buttons->addWidget(button);
    }
    m_formLayout->addLayout(buttons);
    auto *help = new QLabel(helpText);
    help->setObjectName(QStringLiteral("help"));
    help->setWordWrap(true);
    help->setStyleSheet(QStringLiteral("color: gray;"));
    m_formLayout->addWidget(help);
    m_formLayout->addStretch();
}

QWidget *NumberScreenView::navigationRightWidget()
{
    return m_done;
}

bool NumberScreenView::hidesBackButton() const
{
    return m_screen->hidesBackButton();
}

void NumberScreenView::refresh()
{
    m_done->setEnabled(m_screen->doneEnabled());
    const bool report = m_screen->state() == NumberPassScreen::State::Report;
    if (report && !m_reportShown) {
        QFile page(NumberPassScreen::reportPath());
        m_report->setHtml(page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString());
    }
    m_reportShown = report;
    m_pages->setCurrentWidget(report ? static_cast<QWidget *>(m_report) : m_pages->widget(0));
}
