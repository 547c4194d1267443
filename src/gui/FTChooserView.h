#pragma once

#include "ScreenView.h"

class FTChooserViewControler;
class SectionList;

// The transfer chooser: its sections of bold rows, each with an icon and a disclosure mark.
class FTChooserView : public ScreenView {
    Q_OBJECT
public:
    explicit FTChooserView(FTChooserViewControler *controller);

protected:
    void refresh() override;

private:
    FTChooserViewControler *m_chooser;
    SectionList *m_list;
};
