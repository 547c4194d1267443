#include "GCSessionWaiter.h"

#include "ProviderSignIn.h"

Result<void> GCSessionWaiter::login(const QUrl &server, const QString &username, const QString &password)
{
    Result<void> outcome;
    m_session.login(server, username, password, [this, &outcome](Result<void> result) {
        outcome = std::move(result);
        finish();
    });
    wait();
    return outcome;
}

Result<void> GCSessionWaiter::loginWithBrowser(const QUrl &server, const QString &username,
                                              const std::function<void(const QUrl &)> &openBrowser)
{
    Result<void> outcome;
    ProviderSignIn signIn(m_session, server, username, openBrowser);
    signIn.start([this, &outcome](Result<void> result) {
        outcome = std::move(result);
        finish();
    });
    wait();
    return outcome;
}

Result<EntryList> GCSessionWaiter::fetch()
{
    m_rows.clear();
    m_fetchError.clear();
    m_session.fetchAllContacts(this);
    wait();
    if (!m_fetchError.isEmpty())
        return Error{m_fetchError};
    return m_rows;
}

GCSessionDelegate::RunResult GCSessionWaiter::importContacts(const QStringList &identifiers)
{
    m_session.importContacts(identifiers, this);
    wait();
    return m_result;
}

GCSessionDelegate::RunResult GCSessionWaiter::exportContacts(const QList<int> &recordIDs)
{
    m_session.exportContacts(recordIDs, this);
    wait();
    return m_result;
}

void GCSessionWaiter::gcFetchEnded(const QString &error)
{
    m_fetchError = error;
    finish();
}

void GCSessionWaiter::gcSetProgress(double value)
{
    if (onProgress)
        onProgress(value);
}

void GCSessionWaiter::gcRunDone(const RunResult &result)
{
    m_result = result;
    finish();
}

void GCSessionWaiter::finish()
{
    m_finished = true;
    m_loop.quit();
}

void GCSessionWaiter::wait()
{
    // A step may end before its call returns (a refused address, no address book).
    if (!m_finished)
        m_loop.exec();
    m_finished = false;
}
