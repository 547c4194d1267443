#pragma once

#include "shell/UiHost.h"

#include <functional>

// The user interface of a command that drives a screen controller on the terminal: alerts go
// to standard error, questions are asked on the terminal (or answered yes at once), the one
// text entry is answered from the command line, and leaving the screen is reported.
class TerminalUiHost : public UiHost {
public:
    explicit TerminalUiHost(bool alwaysYes);
    ~TerminalUiHost() override;

    // The answer to the next text entry; later entries are cancelled.
    void setTextAnswer(const QString &answer) { m_textAnswer = answer; }
    // Called after every alert and when the top screen is left.
    std::function<void(const QString &title)> onAlert;
    std::function<void()> onPop;

    void showAlert(const QString &title, const QString &text) override;
    int ask(const QString &title, const QString &text, const QStringList &buttons, int cancelIndex) override;
    std::optional<QString> askText(const QString &title, const QString &text, const QString &initial) override;
    std::optional<QString> askTextEntry(const QString &title, const QString &text, const TextEntry &entry) override;
    void showProgress(const QString &, bool) override {}
    void setProgressTitle(const QString &) override {}
    void setProgress(double) override {}
    void closeProgress() override {}
    void push(ScreenController *screen) override;
    void pop() override;
    void present(ScreenController *screen) override { push(screen); }
    void dismiss(ScreenController *) override { pop(); }
    void setLocked(bool) override {}
    void openUrl(const QUrl &) override {}

private:
    bool m_alwaysYes;
    std::optional<QString> m_textAnswer;
    QList<ScreenController *> m_stack;
    UiHost *m_previous;
};
