#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// A real CardDAV server for tests: Radicale on 127.0.0.1 with a port the system picks, a
// throwaway storage folder, one user (alice / secret) in a plain htpasswd file and one empty
// address book /alice/vennaro/. Stopped when the object goes.
class RadicaleServer {
public:
    static constexpr const char *kUser = "alice";
    static constexpr const char *kPassword = "secret";

    // `maxContentLength` caps request bodies (0: Radicale's default), to make it refuse a card.
    explicit RadicaleServer(int maxContentLength = 0);
    ~RadicaleServer();

    // Empty when the server runs, else why it does not.
    QString startError() const { return m_error; }
    // http://127.0.0.1:PORT/
    QUrl baseUrl() const;
    // The address book made at start.
    QUrl bookUrl() const;
    // The vCard texts stored in the address book, read from the storage folder.
    QList<QByteArray> storedCards() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
