#pragma once

#include "ScreenView.h"

class GDLoginController;
class QLabel;
class QPushButton;

// The Google Drive sign-in: the service's note, the sign-in button and, while the browser has
// the page, a line saying so.
class GDLoginView : public ScreenView {
    Q_OBJECT
public:
    explicit GDLoginView(GDLoginController *controller);

protected:
    void refresh() override;

private:
    GDLoginController *m_login;
    QPushButton *m_signIn;
    QLabel *m_waiting;
};
