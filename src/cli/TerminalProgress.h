#pragma once

#include "formats/common/ProgressTarget.h"

#include <QElapsedTimer>
#include <QString>

// A progress bar on standard error for long commands; draws nothing when standard error is
// not a terminal, so that scripts and tests see clean output.
class TerminalProgress : public ProgressTarget {
public:
    explicit TerminalProgress(QString task);
    ~TerminalProgress() override;

    void setProgress(double value) override;
    void setNumberProgress(int count) override;
    void savingData() override;

private:
    void draw(const QString &line);

    QString m_task;
    bool m_enabled;
    int m_lastPercent = -1;
    static constexpr qint64 kNumberInterval = 100; // ms between counts drawn
    QElapsedTimer m_sinceDrawn;
    bool m_drawn = false;
};
