#pragma once

#include "CardDavClient.h"
#include "ContactCard.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"
#include "selection/GoogleContactsSession.h"
#include "shell/OAuthSession.h"

#include <QHash>
#include <QObject>
#include <QUrl>

#include <memory>

// What a run of the exchange reports, to the selection list or to the command line. All calls
// come on the main thread.
class GCSessionDelegate {
public:
    struct RunResult {
        int done = 0;     // people imported, or contacts created
        int failed = 0;   // contacts the server refused, people that could not be read
        QString error;    // why the run could not finish (address book, server); empty otherwise
    };
    virtual ~GCSessionDelegate() = default;
    // One fetched contact as a list row (identifier = the contact's identifier), in the order
    // of the user's sort ordering.
    virtual void gcDidFetchEntry(const EntryDataRef &row) = 0;
    // The fetch is over; `error` is empty when it succeeded.
    virtual void gcFetchEnded(const QString &error) = 0;
    virtual void gcSetProgress(double value) = 0;
    // An import or export is over.
    virtual void gcRunDone(const RunResult &result) = 0;
};

// The contacts account of this process: the credentials that worked at sign-in, the address
// book found then, the contacts fetched last, and the import and export runs. One shared
// instance; each process starts signed out, and the password is kept in memory only.
//
// A run goes one contact at a time through the event loop, so the window stays live: import
// adds each chosen contact to one address-book handle and saves once at the end; export
// creates one contact per chosen person. The errors of one contact are logged and counted and
// the run goes on; a run always ends with gcRunDone.
class GCSession : public QObject, public GoogleContactsSession {
    Q_OBJECT
public:
    static GCSession &sharedSession();
    explicit GCSession(QObject *parent = nullptr);
    ~GCSession() override;

    // Sign-in: finds the address book at `server` with these credentials. On success the
    // session keeps them and is linked; on failure it is left as it was.
    void login(const QUrl &server, const QString &username, const QString &password, std::function<void(Result<void>)> done);
    // The same with the OAuth 2 tokens of a signed-in `session` instead of a password (the
    // provider's service); on success the session is kept and refreshes its tokens as needed.
    void loginWithOAuth(const QUrl &server, const QString &username, std::unique_ptr<OAuthSession> session,
                        std::function<void(Result<void>)> done);
    void cancelLogin();
    // For token requests of a sign-in.
    QNetworkAccessManager *network() { return m_client.network(); }
    bool isLinked() const { return m_loggedon; }
    void unlink();
    // Stores the credentials that worked and marks the session linked.
    void updateAccessToken(const QString &username, const QString &password);
    QString username() const { return m_username; }
    QUrl addressBook() const { return m_addressBook; }

    // Fetches every contact of the address book, sorted as the address book sorts people.
    void fetchAllContacts(GCSessionDelegate *delegate);
    // The identifiers of the fetched contacts, in fetch order.
    QStringList fetchedIdentifiers() const;
    // Imports the fetched contacts with these identifiers (import field filter and marker).
    void importContacts(const QStringList &identifiers, GCSessionDelegate *delegate);
    // Creates a contact for each person with these record identifiers (export field filter).
    void exportContacts(const QList<int> &recordIDs, GCSessionDelegate *delegate);

    // The selection list's side (list modes 3 and 4).
    void fetchAllGroupsAndContacts(ABEntriesViewController *list) override;
    void importGmailContacts(const QStringList &identifiers, ABEntriesViewController *list) override;
    void exportGmailContacts(const QList<int> &recordIDs, ABEntriesViewController *list) override;

    // A contact's identifier: its UID, or its address on the server when it has none.
    static QString identifierOf(const ContactCard &card, const QString &href);

private:
    struct Entry {
        QString identifier;
        ContactCard card;
    };
    void findBook(const QUrl &server, std::function<void(Result<void>)> done, std::function<void()> keepCredentials);
    // Back to the credentials of the current sign-in after another one failed.
    void restoreCredentials();
    void receiveCards(const QList<CardDavClient::Card> &cards);
    void importNext();
    void importCard(const ContactCard &card);
    void addPerson(const ABRecordRef &person);
    void exportNext();
    void finishRun(const QString &error = {});
    GCSessionDelegate *listDelegate(ABEntriesViewController *list);

    CardDavClient m_client;
    QString m_username;
    QString m_password;
    bool m_loggedon = false;
    std::unique_ptr<OAuthSession> m_oauth;        // the provider's tokens, when signed in with them
    std::unique_ptr<OAuthSession> m_pendingOAuth; // those of a sign-in under way
    QUrl m_addressBook;

    QList<Entry> m_feed;                 // the contacts fetched last
    QHash<QString, qsizetype> m_byIdentifier;

    // The run in progress.
    GCSessionDelegate *m_delegate = nullptr;
    ABAddressBookRef m_book;
    QStringList m_selectedIdentifiers;
    QList<ABRecordRef> m_people;         // export: the chosen people, in the chosen order
    int m_lastUsed = -1;
    GCSessionDelegate::RunResult m_result;
    std::unique_ptr<GCSessionDelegate> m_listDelegate;
};
