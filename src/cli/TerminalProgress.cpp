#include "TerminalProgress.h"

#include "platform/Localization.h"

#include <cstdio>

#include <unistd.h>

TerminalProgress::TerminalProgress(QString task) : m_task(std::move(task)), m_enabled(isatty(STDERR_FILENO) == 1)
{
}

TerminalProgress::~TerminalProgress()
{
    if (m_drawn)
        std::fputs("\n", stderr);
}

void TerminalProgress::draw(const QString &line)
{
    if (!m_enabled)
        return;
    std::fprintf(stderr, "\r\033[K%s", line.toLocal8Bit().constData());
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::setProgress(double value)
{
    const int percent = int(qBound(0.0, value, 1.0) * 100.0);
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    const int filled = percent * 30 / 100;
    draw(QStringLiteral("%1 [%2%3] %4%").arg(m_task, QString(filled, QLatin1Char('#')), QString(30 - filled, QLatin1Char(' '))).arg(percent));
}

void TerminalProgress::setNumberProgress(int count)
{
    // Called for every record: drawn a few times a second, and not even made when unseen.
    if (!m_enabled || (m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < kNumberInterval))
        return;
    m_sinceDrawn.start();
    draw(QStringLiteral("%1 %2").arg(m_task).arg(count));
}

void TerminalProgress::savingData()
{
    draw(L("KCommitData").simplified());
}
