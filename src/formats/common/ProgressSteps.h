#pragma once

// A progress bar shows a thousand steps at most. Workers wait on the main thread for each
// value they report, so a value the bar cannot show is not worth the wait: this tells which
// values move the bar (and always lets the final 1 through).
class ProgressSteps {
public:
    bool moves(double value)
    {
        const int step = int(value * 1000);
        if (value < 1 && step == m_shown)
            return false;
        m_shown = step;
        return true;
    }
    void reset() { m_shown = -1; }

private:
    int m_shown = -1;
};
