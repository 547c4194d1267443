#pragma once

#include "formats/common/ProgressTarget.h"

#include <QList>

// A progress target that keeps every report.
class RecordingProgress : public ProgressTarget {
public:
    void setProgress(double value) override { values.append(value); }
    void setNumberProgress(int count) override { counts.append(count); }
    void savingData() override { ++saves; }

    QList<double> values;
    QList<int> counts;
    int saves = 0;
};
