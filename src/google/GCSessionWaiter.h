#pragma once

#include "GCSession.h"

#include <QEventLoop>

#include <functional>

// The contacts account for callers without a window (the command line, benchmarks, tests):
// each step is started on the shared event loop and waited for in a local one.
class GCSessionWaiter : public GCSessionDelegate {
public:
    explicit GCSessionWaiter(GCSession &session) : m_session(session) {}

    // Called with each progress value of an import or export.
    std::function<void(double)> onProgress;

    Result<void> login(const QUrl &server, const QString &username, const QString &password);
    // The provider's service: stored tokens of the account, else a browser sign-in whose
    // address goes to `openBrowser`.
    Result<void> loginWithBrowser(const QUrl &server, const QString &username, const std::function<void(const QUrl &)> &openBrowser);
    // The fetched contacts as list rows (contacts without a name have none).
    Result<EntryList> fetch();
    RunResult importContacts(const QStringList &identifiers);
    RunResult exportContacts(const QList<int> &recordIDs);

private:
    void gcDidFetchEntry(const EntryDataRef &row) override { m_rows.append(row); }
    void gcFetchEnded(const QString &error) override;
    void gcSetProgress(double value) override;
    void gcRunDone(const RunResult &result) override;
    void finish();
    void wait();

    GCSession &m_session;
    QEventLoop m_loop;
    EntryList m_rows;
    QString m_fetchError;
    RunResult m_result;
    bool m_finished = false;
};
