#pragma once

#include "NumberScreenView.h"

#include <array>

class FormatNumberViewController;
class QCheckBox;
class QLineEdit;

// The format-numbers screen: the three format masks, the show-all switch, Preview and Commit,
// and the help text.
class FormatNumberView : public NumberScreenView {
    Q_OBJECT
public:
    explicit FormatNumberView(FormatNumberViewController *controller);

protected:
    void refresh() override;

private:
    FormatNumberViewController *m_format;
    std::array<QLineEdit *, 3> m_masks{};
    QCheckBox *m_showAll;
};
