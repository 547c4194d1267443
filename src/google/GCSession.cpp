#include "GCSession.h"

#include "ContactCardReader.h"
#include "ContactCardWriter.h"
#include "PersonCards.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "selection/ABEntriesLoader.h"
#include "selection/ABEntriesViewController.h"
#include "shell/AppData.h"
#include "shell/UiHost.h"

#include <QPointer>
#include <QTimer>
#include <QUuid>

#include <algorithm>

namespace {

// The selection list as the delegate of a run: rows, progress and the end of the run.
class SelectionListDelegate : public GCSessionDelegate {
public:
    explicit SelectionListDelegate(ABEntriesViewController *list) : m_list(list) {}
    void gcDidFetchEntry(const EntryDataRef &row) override
    {
        if (m_list)
            m_list->addRow(row);
    }
    void gcFetchEnded(const QString &error) override
    {
        // A failed fetch is shown: an empty list alone would read as an empty account.
        if (!error.isEmpty())
            showError(error);
        if (m_list)
            m_list->internalLoadData(0);
    }
    void gcSetProgress(double value) override
    {
        if (m_list)
            m_list->gcSetProgress(value);
    }
    void gcRunDone(const RunResult &result) override
    {
        if (m_list)
            m_list->gcImportDone();
        if (!result.error.isEmpty())
            showError(result.error);
    }

private:
    QPointer<ABEntriesViewController> m_list;
};

} // namespace

GCSession &GCSession::sharedSession()
{
    static GCSession *session = new GCSession;
    return *session;
}

GCSession::GCSession(QObject *parent) : QObject(parent) {}

GCSession::~GCSession() = default;

void GCSession::login(const QUrl &server, const QString &username, const QString &password, std::function<void(Result<void>)> done)
{
    m_client.cancel();
    m_client.setCredentials(username, password);
    findBook(server, std::move(done), [this, username, password] {
        m_oauth.reset();
        updateAccessToken(username, password);
    });
}

void GCSession::loginWithOAuth(const QUrl &server, const QString &username, std::unique_ptr<OAuthSession> session,
                               std::function<void(Result<void>)> done)
{
    m_client.cancel();
    m_pendingOAuth = std::move(session);
    m_client.setBearerSession(m_pendingOAuth.get());
    findBook(server, std::move(done), [this, username] {
        m_oauth = std::move(m_pendingOAuth);
        m_username = username;
        m_password.clear();
        m_loggedon = true;
    });
}

void GCSession::findBook(const QUrl &server, std::function<void(Result<void>)> done, std::function<void()> keepCredentials)
{
    m_client.findAddressBook(server, [this, done, keepCredentials](Result<QUrl> book) {
        if (!book) {
            restoreCredentials();
            return done(Error{book.error()});
        }
        DevLog::log(QStringLiteral("address book %1").arg(book->toDisplayString(QUrl::RemoveUserInfo)));
        m_addressBook = *book;
        keepCredentials();
        done(Result<void>());
    });
}

void GCSession::cancelLogin()
{
    m_client.cancel();
    restoreCredentials();
}

void GCSession::restoreCredentials()
{
    // The credentials that worked before stay in use. The abandoned token session may be
    // the one answering right now, so it goes later.
    if (m_pendingOAuth)
        m_pendingOAuth.release()->deleteLater();
    if (m_oauth)
        m_client.setBearerSession(m_oauth.get());
    else
        m_client.setCredentials(m_username, m_password);
}

void GCSession::unlink()
{
    m_loggedon = false;
    m_password.clear();
    m_oauth.reset();
    m_client.setCredentials(QString(), QString());
}

void GCSession::updateAccessToken(const QString &username, const QString &password)
{
    m_username = username;
    m_password = password;
    m_loggedon = true;
    m_client.setCredentials(username, password);
}

QString GCSession::identifierOf(const ContactCard &card, const QString &href)
{
    return card.uid.isEmpty() ? href : card.uid;
}

QStringList GCSession::fetchedIdentifiers() const
{
    QStringList identifiers;
    for (const Entry &entry : m_feed)
        identifiers.append(entry.identifier);
    return identifiers;
}

void GCSession::fetchAllContacts(GCSessionDelegate *delegate)
{
    // A fetch replaces one still under way (the list asks again each time it appears).
    m_client.cancel();
    m_feed.clear();
    m_byIdentifier.clear();
    if (!m_loggedon)
        return delegate->gcFetchEnded(QStringLiteral("Not signed in."));
    m_client.listCards(m_addressBook, [this, delegate](Result<QList<CardDavClient::CardRef>> refs) {
        if (!refs) {
            DevLog::log(QStringLiteral("fetchAllContacts %1").arg(refs.error()));
            return delegate->gcFetchEnded(refs.error());
        }
        QStringList hrefs;
        for (const CardDavClient::CardRef &ref : std::as_const(*refs))
            hrefs.append(ref.href);
        m_client.fetchCards(m_addressBook, hrefs, [this, delegate](Result<QList<CardDavClient::Card>> cards) {
            if (!cards) {
                DevLog::log(QStringLiteral("fetchAllContacts %1").arg(cards.error()));
                return delegate->gcFetchEnded(cards.error());
            }
            receiveCards(*cards);
            for (const Entry &entry : std::as_const(m_feed)) {
                const QString name = entry.card.displayName();
                if (name.isEmpty())
                    continue;
                auto row = std::make_shared<EntryData>();
                row->name = name;
                row->lastname = entry.card.familyName.isEmpty() ? name : entry.card.familyName;
                row->identifier = entry.identifier;
                row->selected = true;
                delegate->gcDidFetchEntry(row);
            }
            delegate->gcFetchEnded(QString());
        });
    });
}

void GCSession::receiveCards(const QList<CardDavClient::Card> &cards)
{
    for (const CardDavClient::Card &card : cards) {
        Result<ContactCard> read = ContactCardReader::read(card.data);
        if (!read) {
            DevLog::log(QStringLiteral("fetchAllContacts %1: %2").arg(card.href, read.error()));
            continue;
        }
        const QString identifier = identifierOf(*read, card.href);
        if (m_byIdentifier.contains(identifier))
            continue;
        m_feed.append({identifier, std::move(*read)});
    }
    // By family name when the address book sorts by last name (the name for contacts without
    // one, as their rows show), else by the name.
    const bool byLastName = ABEntriesLoader::currentSortOrdering() == kABPersonSortByLastName;
    auto key = [byLastName](const Entry &entry) {
        return byLastName && !entry.card.familyName.isEmpty() ? entry.card.familyName : entry.card.displayName();
    };
    std::stable_sort(m_feed.begin(), m_feed.end(), [&key](const Entry &a, const Entry &b) {
        return key(a).compare(key(b), Qt::CaseInsensitive) < 0;
    });
    for (qsizetype i = 0; i < m_feed.size(); ++i)
        m_byIdentifier.insert(m_feed.at(i).identifier, i);
}

void GCSession::importContacts(const QStringList &identifiers, GCSessionDelegate *delegate)
{
    m_delegate = delegate;
    m_result = {};
    m_book = ABSources::openAddressBook("importGmailContacts");
    if (!m_book)
        return finishRun(L("KErrCreateAddrBook"));
    m_selectedIdentifiers = identifiers;
    m_lastUsed = -1;
    importNext();
}

void GCSession::importNext()
{
    ++m_lastUsed;
    const int count = int(m_selectedIdentifiers.size());
    if (m_lastUsed >= count) {
        QString error;
        if (m_result.done > 0 && !m_book->save(&error)) {
            DevLog::log(QStringLiteral("importGmailContacts ABAddressBookSave error: %1").arg(error));
            m_result.done = 0;
            return finishRun(error);
        }
        return finishRun();
    }
    m_delegate->gcSetProgress(double(m_lastUsed + 1) / double(count));
    const auto found = m_byIdentifier.constFind(m_selectedIdentifiers.at(m_lastUsed));
    if (found == m_byIdentifier.cend()) {
        DevLog::log(QStringLiteral("importGmailContacts no contact %1").arg(m_selectedIdentifiers.at(m_lastUsed)));
        ++m_result.failed;
        QTimer::singleShot(0, this, &GCSession::importNext);
        return;
    }
    importCard(m_feed.at(*found).card);
}

void GCSession::importCard(const ContactCard &card)
{
    const uint32_t mask = AppData::sharedInstance().importMask();
    ABRecordRef person = PersonCards::personFromCard(card, mask);
    if (!(mask & FieldFilter::Photo) || !card.photo.isEmpty() || card.photoUrl.isEmpty())
        return addPerson(person);
    // A photo given by its address comes from the account's server, with its credentials.
    m_client.fetchPhoto(m_addressBook, card.photoUrl, [this, person, url = card.photoUrl](Result<QByteArray> photo) {
        if (!photo)
            DevLog::log(QStringLiteral("importGmailContacts photo %1: %2").arg(url.toDisplayString(QUrl::RemoveUserInfo), photo.error()));
        else
            PersonCards::setPhoto(person, *photo);
        addPerson(person);
    });
}

void GCSession::addPerson(const ABRecordRef &person)
{
    QString error;
    if (m_book->addRecord(person, &error)) {
        ++m_result.done;
    } else {
        DevLog::log(QStringLiteral("importGmailContacts ABAddressBookAddRecord error: %1").arg(error));
        ++m_result.failed;
    }
    QTimer::singleShot(0, this, &GCSession::importNext);
}

void GCSession::exportContacts(const QList<int> &recordIDs, GCSessionDelegate *delegate)
{
    m_delegate = delegate;
    m_result = {};
    m_book = ABSources::openAddressBook("exportGmailContacts");
    if (!m_book)
        return finishRun(L("KErrCreateAddrBook"));
    if (!m_loggedon)
        return finishRun(QStringLiteral("Not signed in."));
    QList<ABRecordID> ids(recordIDs.begin(), recordIDs.end());
    m_people = m_book->peopleWithRecordIDs(ids);
    m_lastUsed = -1;
    exportNext();
}

void GCSession::exportNext()
{
    ++m_lastUsed;
    const int count = int(m_people.size());
    if (m_lastUsed >= count)
        return finishRun();
    m_delegate->gcSetProgress(double(m_lastUsed + 1) / double(count));
    const ABRecordRef person = m_people.at(m_lastUsed);
    if (!person) {
        DevLog::log(QStringLiteral("exportGmailContacts person gone"));
        ++m_result.failed;
        QTimer::singleShot(0, this, &GCSession::exportNext);
        return;
    }
    ContactCard card = PersonCards::cardFromPerson(*person, AppData::sharedInstance().flagsExp());
    card.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_client.createCard(m_addressBook, card.uid, ContactCardWriter::write(card), [this](Result<QString> created) {
        if (created) {
            ++m_result.done;
        } else {
            DevLog::log(QStringLiteral("exportGmailContacts insert error: %1").arg(created.error()));
            ++m_result.failed;
        }
        exportNext();
    });
}

void GCSession::finishRun(const QString &error)
{
    m_result.error = error;
    m_book.reset();
    m_people.clear();
    m_selectedIdentifiers.clear();
    m_lastUsed = -1;
    GCSessionDelegate *delegate = m_delegate;
    m_delegate = nullptr;
    if (delegate)
        delegate->gcRunDone(m_result);
}

GCSessionDelegate *GCSession::listDelegate(ABEntriesViewController *list)
{
    m_listDelegate = std::make_unique<SelectionListDelegate>(list);
    return m_listDelegate.get();
}

void GCSession::fetchAllGroupsAndContacts(ABEntriesViewController *list)
{
    fetchAllContacts(listDelegate(list));
}

void GCSession::importGmailContacts(const QStringList &identifiers, ABEntriesViewController *list)
{
    importContacts(identifiers, listDelegate(list));
}

void GCSession::exportGmailContacts(const QList<int> &recordIDs, ABEntriesViewController *list)
{
    exportContacts(recordIDs, listDelegate(list));
}
