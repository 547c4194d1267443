#pragma once

#include <QString>

// The file log: one file per launch in the documents folder, "Vennaro_<seconds>.log", with
// "HH:mm:ss.SSS message" lines. At creation every older log but the newest-named one is
// deleted. Safe to call from any thread.
class FLog {
public:
    static FLog &sharedInstance();
    void log(const QString &message);
    QString path() const { return m_path; }
    // Starts a new log file in the current documents folder (launch; tests).
    void start();

private:
    FLog() = default;
    QString m_path;
};

// FLog::sharedInstance().log(message)
void FLogLine(const QString &message);
