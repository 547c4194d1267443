#pragma once

#include "ScreenController.h"

#include <QHash>
#include <QList>
#include <QString>

// The field filter screen (screen 19): one switch per field family of the export mask
// (mode 0) or the import mask (mode 1). Each switch's tag is its bit number.
class ImpExpFiltersViewController : public ScreenController {
    Q_OBJECT
public:
    struct FilterRow {
        int tag; // the bit number
        QString text;
    };

    explicit ImpExpFiltersViewController(QObject *parent = nullptr);

    QString title() const override;
    void viewDidDisappear() override;

    void setMode(int mode);
    int mode() const { return m_mode; }
    // Sets every switch from the chosen mask.
    void populateMode();

    QString header() const;
    const QList<FilterRow> &rows() const { return m_rows; }
    bool isOn(int tag) const { return m_switches.value(tag); }
    // Sets or clears the bit `tag` of the chosen mask; no other bit changes.
    void setSwitch(int tag, bool on);

private:
    uint32_t mask() const;

    int m_mode = 0;
    QList<FilterRow> m_rows;
    QHash<int, bool> m_switches;
};
