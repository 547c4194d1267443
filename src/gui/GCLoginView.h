#pragma once

#include "ScreenView.h"

class GCLoginController;
class QLabel;
class QLineEdit;
class QPushButton;

// The contacts account's sign-in, shown in its own dialog: a bar with Cancel, the title and
// Login, then the server, account and password fields, a note and the "Authenticating" line.
class GCLoginView : public ScreenView {
    Q_OBJECT
public:
    explicit GCLoginView(GCLoginController *controller);

protected:
    void refresh() override;

private:
    GCLoginController *m_login;
    QLineEdit *m_server;
    QLineEdit *m_email;
    QLineEdit *m_password;
    QLabel *m_status;
    QPushButton *m_loginButton;
};
