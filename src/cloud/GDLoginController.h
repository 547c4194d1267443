#pragma once

#include "shell/ScreenController.h"

#include <functional>

class CloudSignIn;

// The Google Drive sign-in screen: the service's note and one button that opens Google's
// sign-in page in the browser. The account is chosen there; the screen closes itself once the
// browser came back and the account is linked, and tells whoever opened it.
class GDLoginController : public ScreenController {
    Q_OBJECT
public:
    GDLoginController();
    ~GDLoginController() override;

    QString title() const override;
    QString note() const;
    QString buttonTitle() const;
    // Whether the browser was sent to the sign-in page and the screen waits for it.
    bool isWaiting() const { return m_signIn != nullptr; }

    // Runs once the account is linked (after the screen was taken away).
    void setLoginDone(std::function<void()> done) { m_done = std::move(done); }
    void signIn();
    void viewDidDisappear() override;

private:
    CloudSignIn *m_signIn = nullptr;
    std::function<void()> m_done;
};
