#pragma once

#include "shell/UiHost.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

// A UiHost for tests: records every alert, question, progress value and screen change, and
// answers questions and text entries from queues the test fills (default: the cancel button,
// no text). Installs itself as the current host for its lifetime.
class RecordingUiHost : public UiHost {
public:
    RecordingUiHost();
    ~RecordingUiHost() override;

    struct Alert {
        QString title;
        QString text;
        QStringList buttons; // empty for a plain alert
    };

    QList<Alert> alerts;          // alerts and questions, in order
    QQueue<int> answers;          // button indexes to answer questions with
    QQueue<std::optional<QString>> textAnswers;
    QList<QString> progressTitles; // every sheet title shown, including changes
    QList<double> progressValues;
    bool progressOpen = false;
    QList<ScreenController *> stack; // pushed screens, top last
    QList<ScreenController *> presented;
    bool locked = false;
    QList<bool> lockHistory;
    QList<QUrl> openedUrls;
    QString lastPlaceholder; // of the last text entry that had one

    // The text of the last alert or question ("" when there was none).
    QString lastText() const { return alerts.isEmpty() ? QString() : alerts.last().text; }
    QString lastTitle() const { return alerts.isEmpty() ? QString() : alerts.last().title; }

    void showAlert(const QString &title, const QString &text) override;
    int ask(const QString &title, const QString &text, const QStringList &buttons, int cancelIndex) override;
    std::optional<QString> askText(const QString &title, const QString &text, const QString &initial) override;
    // Recorded like askText, with the entry's cancel and OK texts as the alert's buttons.
    std::optional<QString> askTextEntry(const QString &title, const QString &text, const TextEntry &entry) override;
    void showProgress(const QString &title, bool animated) override;
    void setProgressTitle(const QString &title) override;
    void setProgress(double value) override;
    void closeProgress() override;
    void push(ScreenController *screen) override;
    void pop() override;
    void present(ScreenController *screen) override;
    void dismiss(ScreenController *screen) override;
    void setLocked(bool locked) override;
    void openUrl(const QUrl &url) override;

private:
    UiHost *m_previous;
};
