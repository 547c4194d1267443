#pragma once

#include "ScreenView.h"

class RulesChooserViewController;
class QToolButton;
class SectionList;

// The rule chooser: one section "Rules" with a row per saved rule (tag = its position), a
// Delete button per rule ("delete<position>") in delete mode, and the Edit / Done button.
class RulesChooserView : public ScreenView {
    Q_OBJECT
public:
    explicit RulesChooserView(RulesChooserViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;

private:
    RulesChooserViewController *m_chooser;
    SectionList *m_list;
    QToolButton *m_editButton;
};
