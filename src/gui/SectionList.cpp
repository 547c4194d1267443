#include "SectionList.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char *const kStyle = R"(
QFrame#section { background: palette(base); border: 1px solid palette(mid); border-radius: 8px; }
QPushButton[row="true"] { text-align: left; padding: 9px 12px; border: none; border-radius: 0; }
QPushButton[row="true"]:hover { background: palette(alternate-base); }
QPushButton[row="true"]:focus { background: palette(highlight); color: palette(highlighted-text); }
QLabel[sectionTitle="true"] { color: palette(dark); padding: 10px 6px 2px 6px; }
QLabel[sectionFooter="true"] { color: palette(dark); padding: 2px 6px 4px 6px; }
)";
}

SectionList::SectionList(QWidget *parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setStyleSheet(QString::fromLatin1(kStyle));
    clear();
}

void SectionList::clear()
{
    if (m_content)
        takeWidget()->deleteLater();
    m_content = new QWidget;
    m_layout = new QVBoxLayout(m_content);
    m_layout->setContentsMargins(14, 6, 14, 14);
    m_layout->setSpacing(4);
    m_layout->addStretch(1);
    m_section = nullptr;
    setWidget(m_content);
}

void SectionList::addSection(const QString &header, const QString &footer)
{
    if (!header.isEmpty()) {
        auto *title = new QLabel(header);
        title->setProperty("sectionTitle", true);
        m_layout->insertWidget(m_layout->count() - 1, title);
    } else {
        m_layout->insertSpacing(m_layout->count() - 1, 12);
    }
    auto *frame = new QFrame;
    frame->setObjectName(QStringLiteral("section"));
    m_section = new QVBoxLayout(frame);
    m_section->setContentsMargins(1, 1, 1, 1);
    m_section->setSpacing(0);
    m_layout->insertWidget(m_layout->count() - 1, frame);
    // Rows go into the frame, so the footer can follow it at once.
    if (!footer.isEmpty()) {
        auto *label = new QLabel(footer);
        label->setWordWrap(true);
        label->setProperty("sectionFooter", true);
        m_layout->insertWidget(m_layout->count() - 1, label);
    }
}

QPushButton *SectionList::addRow(int tag, const QString &text, std::function<void()> onClick, bool disclosure)
{
    if (!m_section)
        addSection();
    auto *button = new QPushButton(text);
    button->setObjectName(rowName(tag));
    if (disclosure) {
        auto *chevron = new QLabel(QStringLiteral("›"), button);
        chevron->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto *layout = new QHBoxLayout(button);
        layout->setContentsMargins(0, 0, 12, 0);
        layout->addStretch(1);
        layout->addWidget(chevron);
    }
    button->setProperty("row", true);
    button->setFlat(true);
    button->setAutoDefault(true); // Enter activates the focused row
    connect(button, &QPushButton::clicked, this, [onClick = std::move(onClick)] { onClick(); });
    m_section->addWidget(button);
    return button;
}

QCheckBox *SectionList::addSwitch(int tag, const QString &text, bool on, std::function<void(bool)> onToggle)
{
    auto *box = new QCheckBox;
    box->setChecked(on);
    box->setAccessibleName(text);
    connect(box, &QCheckBox::toggled, this, [onToggle = std::move(onToggle)](bool checked) { onToggle(checked); });
    addControlRow(tag, text, box)->setObjectName(rowName(tag) + QStringLiteral("Row"));
    box->setObjectName(rowName(tag));
    return box;
}

QWidget *SectionList::addControlRow(int tag, const QString &text, QWidget *control, bool below)
{
    if (!m_section)
        addSection();
    auto *row = new QWidget;
    row->setObjectName(rowName(tag));
    QBoxLayout *layout = below ? static_cast<QBoxLayout *>(new QVBoxLayout(row)) : new QHBoxLayout(row);
    layout->setContentsMargins(12, 6, 12, 6);
    auto *label = new QLabel(text);
    label->setObjectName(rowName(tag) + QStringLiteral("Label"));
    label->setBuddy(control);
    layout->addWidget(label, 1);
    layout->addWidget(control);
    m_section->addWidget(row);
    return row;
}

void SectionList::addTrailingWidget(QWidget *widget)
{
    m_layout->insertWidget(m_layout->count() - 1, widget, 0, Qt::AlignHCenter);
}
