#pragma once

#include "ProgressSteps.h"
#include "ProgressTarget.h"

#include <QElapsedTimer>

// A worker's progress on the window's progress sheet (the current UiHost). Every report the
// sheet shows is handed to the main thread and the worker waits for it, so it never runs
// ahead of the display; reports the sheet would not show differently (a value on the same
// bar step, a record count sooner than kCountIntervalMs after the last one) are dropped, so
// the worker does not wait once per record. Used from one worker at a time.
class SheetProgress : public ProgressTarget {
public:
    static constexpr qint64 kCountIntervalMs = 100;

    void setProgress(double value) override;
    // "Processing %d" as the sheet's title.
    void setNumberProgress(int count) override;
    // "Saving data" as the sheet's title.
    void savingData() override;

private:
    ProgressSteps m_steps;
    QElapsedTimer m_sinceCount;
};
