#pragma once

#include "NumberScreenView.h"

class CarrierViewController;
class QButtonGroup;
class QCheckBox;
class QLineEdit;

// The change-numbers screen: rule name, change mask, new number, the Prefix / Replace / Erase
// segments, the show-all switch, Save and Load, Preview and Commit, and the help text.
class CarrierView : public NumberScreenView {
    Q_OBJECT
public:
    explicit CarrierView(CarrierViewController *controller);

protected:
    void refresh() override;

private:
    CarrierViewController *m_carrier;
    QLineEdit *m_name;
    QLineEdit *m_mask;
    QLineEdit *m_number;
    QButtonGroup *m_actions;
    QCheckBox *m_showAll;
};
