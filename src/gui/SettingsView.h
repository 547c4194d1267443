#pragma once

#include "ScreenView.h"

#include <QList>

class QLabel;
class SectionList;
class SettingsViewController;

// The settings screen: rows, switches, the charset choice and the packet-size slider.
class SettingsView : public ScreenView {
    Q_OBJECT
public:
    explicit SettingsView(SettingsViewController *controller);

protected:
    void refresh() override;

private:
    void rebuild();
    QList<int> layoutTags() const;

    SettingsViewController *m_settings;
    SectionList *m_list;
    QLabel *m_sliderLabel = nullptr;
    QList<int> m_builtTags;
};
