#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class ScreenController;

// What a screen controller may ask of the user interface. The window implements it with
// widgets; tests use a recording host that keeps every text and answers as told. All calls
// are made on the main thread.
class UiHost {
public:
    virtual ~UiHost() = default;

    // The host that screens talk to (the window, or a test's).
    static UiHost *current();
    static void setCurrent(UiHost *host);

    // A modal alert with one "OK" button.
    virtual void showAlert(const QString &title, const QString &text) = 0;
    // A modal question; answers the index of the pressed button (the cancel index when closed).
    virtual int ask(const QString &title, const QString &text, const QStringList &buttons, int cancelIndex) = 0;
    // A modal text entry; none when cancelled.
    virtual std::optional<QString> askText(const QString &title, const QString &text, const QString &initial) = 0;
    // A text entry with a placeholder and its own button texts; by default a plain askText.
    struct TextEntry {
        QString placeholder;
        QString cancelButton;
        QString okButton;
    };
    virtual std::optional<QString> askTextEntry(const QString &title, const QString &text, const TextEntry &entry);

    // The progress sheet with its whole title (usually "Please Wait ...\n\n" + task + "\n\n",
    // see progressTitle) and one bar; a value of 1 or more closes it. An animated sheet shows
    // activity without a value. The title may change while the sheet is open.
    virtual void showProgress(const QString &title, bool animated) = 0;
    virtual void setProgressTitle(const QString &title) = 0;
    virtual void setProgress(double value) = 0;
    virtual void closeProgress() = 0;

    // The navigation stack. push/present show a registered screen; pop/dismiss take it away
    // again (the screen then sees its disappear calls).
    virtual void push(ScreenController *screen) = 0;
    virtual void pop() = 0;
    virtual void present(ScreenController *screen) = 0;
    virtual void dismiss(ScreenController *screen) = 0;

    // A locked window takes no input and hides its back button. Called when the first screen
    // takes the lock and when the last one gives it back (ScreenController::setLocked).
    virtual void setLocked(bool locked) = 0;
    // Opens a link in the user's browser.
    virtual void openUrl(const QUrl &url) = 0;

    // The title and text of the progress sheet for a task.
    static QString progressTitle(const QString &task) { return QStringLiteral("Please Wait ...\n\n") + task + QStringLiteral("\n\n"); }
};

// The three message boxes: titles "Vennaro", "Warning" and "Error", one "OK" button.
void showInfo(const QString &text);
void showWarning(const QString &text);
void showError(const QString &text);
