#pragma once

#include "CloudAccounts.h"
#include "platform/Result.h"

#include <QObject>

#include <functional>

class OAuthSignIn;

// One sign-in of a service's account from a screen: opens the service's page in the user's
// browser and links the account's session when the browser comes back (or a pasted code
// arrives). `done` runs once, unless the object goes first.
class CloudSignIn : public QObject {
    Q_OBJECT
public:
    CloudSignIn(CloudAccounts::Service service, QObject *parent = nullptr);
    ~CloudSignIn() override;

    void start(std::function<void(Result<void>)> done);
    // The registered loopback port was busy: the page shows a code for finishWithCode.
    bool waitsForPastedCode() const;
    void finishWithCode(const QString &code);

private:
    CloudAccounts::Service m_service;
    OAuthSignIn *m_signIn;
};
