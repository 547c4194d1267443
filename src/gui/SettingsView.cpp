#include "SettingsView.h"

#include "SectionList.h"
#include "shell/SettingsViewController.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

SettingsView::SettingsView(SettingsViewController *controller)
    : ScreenView(controller), m_settings(controller), m_list(new SectionList(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    rebuild();
}

QList<int> SettingsView::layoutTags() const
{
    QList<int> tags;
    for (const auto &section : m_settings->sections()) {
        for (const auto &row : section)
            tags.append(row.tag);
        tags.append(0);
    }
    return tags;
}

void SettingsView::refresh()
{
    // Rows come and go only with "Unlink DropBox"; otherwise the controls stay (a slider
    // being dragged must not be rebuilt under the mouse).
    if (layoutTags() != m_builtTags) {
        rebuild();
        return;
    }
    if (m_sliderLabel)
        m_sliderLabel->setText(m_settings->sliderText());
}

void SettingsView::rebuild()
{
    using Kind = SettingsViewController::Kind;
    m_list->clear();
    m_sliderLabel = nullptr;
    SettingsViewController *settings = m_settings;
    for (const auto &section : settings->sections()) {
        m_list->addSection();
        for (const auto &row : section) {
            const int tag = row.tag;
            switch (row.kind) {
            case Kind::Row:
                m_list->addRow(tag, row.text, [settings, tag] { settings->selectRow(tag); });
                break;
            case Kind::Switch:
                m_list->addSwitch(tag, row.text, settings->value(tag) != 0,
                                  [settings, tag](bool on) { settings->setSwitch(tag, on); });
                break;
            case Kind::TwoChoice: {
                auto *choice = new QWidget;
                auto *buttons = new QHBoxLayout(choice);
                buttons->setContentsMargins(0, 0, 0, 0);
                buttons->setSpacing(0);
                auto *group = new QButtonGroup(choice);
                const QStringList texts = SettingsViewController::charSetChoices();
                for (int i = 0; i < texts.size(); ++i) {
                    auto *button = new QPushButton(texts[i]);
                    button->setObjectName(QStringLiteral("charset%1").arg(i));
                    button->setCheckable(true);
                    button->setChecked(settings->value(tag) == i);
                    group->addButton(button, i);
                    buttons->addWidget(button);
                }
                connect(group, &QButtonGroup::idClicked, settings, &SettingsViewController::setCharSet);
                m_list->addControlRow(tag, row.text, choice);
                break;
            }
            case Kind::Slider: {
                auto *slider = new QSlider(Qt::Horizontal);
                slider->setObjectName(QStringLiteral("btSlider"));
                slider->setRange(SettingsViewController::kMinBlockSize, SettingsViewController::kMaxBlockSize);
                slider->setValue(settings->value(tag));
                connect(slider, &QSlider::valueChanged, settings, [settings](int value) { settings->sliderMoved(value); });
                QWidget *line = m_list->addControlRow(tag, row.text, slider, true);
                m_sliderLabel = line->findChild<QLabel *>();
                break;
            }
            }
        }
    }
    m_builtTags = layoutTags();
}
