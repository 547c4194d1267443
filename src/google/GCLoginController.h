#pragma once

#include "shell/ScreenController.h"

#include <QString>

#include <functional>
#include <optional>

class ProviderSignIn;
class QUrl;

// The sign-in screen of the contacts account (presented modally): server address, account
// name and password. Login tries the credentials by finding the address book; on success the
// shared GCSession keeps them and the delegate gets the account name, on cancel none.
// The provider's own service takes no password: its tokens stored from an earlier sign-in of
// the account are tried, else (or when refused) the browser signs in (OAuth 2 with PKCE and a
// loopback redirect).
class GCLoginController : public ScreenController {
    Q_OBJECT
public:
    // gcLoginControllerDidLogin (the account name) or gcLoginControllerDidCancel (none).
    using Delegate = std::function<void(std::optional<QString> account)>;

    explicit GCLoginController(QObject *parent = nullptr);
    ~GCLoginController() override;

    QString title() const override;
    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }

    // The fields; the server starts from the last one that worked, the account name from the
    // setting EmailGoogle.
    QString server() const { return m_server; }
    QString email() const { return m_email; }
    QString password() const { return m_password; }
    void setServer(const QString &server) { m_server = server; }
    void setEmail(const QString &email) { m_email = email; }
    void setPassword(const QString &password) { m_password = password; }

    // "Authenticating" while the credentials are tried, else empty.
    QString statusText() const;
    bool isAuthenticating() const { return m_authenticating; }

    void login();
    void cancel();

private:
    bool fieldsComplete(bool needsPassword);
    void setAuthenticating(bool authenticating);
    void startBrowserSignIn(const QUrl &server);
    void loginFinished(const QString &account, const QString &error);

    QString m_server;
    QString m_email;
    QString m_password;
    bool m_authenticating = false;
    ProviderSignIn *m_providerSignIn = nullptr; // the provider's sign-in under way
    Delegate m_delegate;
};
