#include "RecordingUiHost.h"

#include "shell/ScreenController.h"

RecordingUiHost::RecordingUiHost() : m_previous(UiHost::current())
{
    UiHost::setCurrent(this);
}

RecordingUiHost::~RecordingUiHost()
{
    UiHost::setCurrent(m_previous);
}

void RecordingUiHost::showAlert(const QString &title, const QString &text)
{
    alerts.append({title, text, {}});
}

int RecordingUiHost::ask(const QString &title, const QString &text, const QStringList &buttons, int cancelIndex)
{
    alerts.append({title, text, buttons});
    return answers.isEmpty() ? cancelIndex : answers.dequeue();
}

std::optional<QString> RecordingUiHost::askText(const QString &title, const QString &text, const QString &)
{
    alerts.append({title, text, {}});
    return textAnswers.isEmpty() ? std::nullopt : textAnswers.dequeue();
}

std::optional<QString> RecordingUiHost::askTextEntry(const QString &title, const QString &text, const TextEntry &entry)
{
    alerts.append({title, text, {entry.cancelButton, entry.okButton}});
    lastPlaceholder = entry.placeholder;
    return textAnswers.isEmpty() ? std::nullopt : textAnswers.dequeue();
}

void RecordingUiHost::showProgress(const QString &title, bool)
{
    progressTitles.append(title);
    progressOpen = true;
}

void RecordingUiHost::setProgressTitle(const QString &title)
{
    progressTitles.append(title);
}

void RecordingUiHost::setProgress(double value)
{
    progressValues.append(value);
    if (value >= 1)
        progressOpen = false;
}

void RecordingUiHost::closeProgress()
{
    progressOpen = false;
}

void RecordingUiHost::push(ScreenController *screen)
{
    if (!stack.isEmpty())
        stack.last()->viewWillDisappear();
    screen->viewWillAppear();
    stack.append(screen);
    screen->viewDidAppear();
}

void RecordingUiHost::pop()
{
    if (stack.isEmpty())
        return;
    ScreenController *top = stack.takeLast();
    top->viewWillDisappear();
    if (!stack.isEmpty())
        stack.last()->viewWillAppear();
    top->viewDidDisappear();
    if (!stack.isEmpty())
        stack.last()->viewDidAppear();
}

void RecordingUiHost::present(ScreenController *screen)
{
    presented.append(screen);
    screen->viewWillAppear();
    screen->viewDidAppear();
}

void RecordingUiHost::dismiss(ScreenController *screen)
{
    if (presented.removeOne(screen)) {
        screen->viewWillDisappear();
        screen->viewDidDisappear();
    }
}

void RecordingUiHost::setLocked(bool isLocked)
{
    locked = isLocked;
    lockHistory.append(isLocked);
}

void RecordingUiHost::openUrl(const QUrl &url)
{
    openedUrls.append(url);
}
