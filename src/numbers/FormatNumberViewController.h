#pragma once

#include "FormatMasks.h"
#include "NumberPassScreen.h"

// The format-numbers screen (screen 10): three format masks, chosen per number by its count of
// characters, run over every phone number by Preview and Commit. The masks are read from
// FormatMasks.plist when the screen is made and written back on each Preview and Commit.
class FormatNumberViewController : public NumberPassScreen {
    Q_OBJECT
public:
    explicit FormatNumberViewController(QObject *parent = nullptr);

    QString title() const override;
    QString helpText() const;

    const FormatMasks &masks() const { return m_masks; }
    // index 0 to 2
    void setMask(int index, const QString &mask);
    bool showAll() const { return m_showAll; }
    void setShowAll(bool on);

    void loadFormats();
    void saveFormats();

    // Preview (tag 2) and Commit (tag 3) unless all masks are empty; Done (tag 1).
    void buttonPressed(int tag) override;

private:
    FormatMasks m_masks;
    bool m_showAll = false;
};
