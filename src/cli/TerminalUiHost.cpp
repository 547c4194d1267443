#include "TerminalUiHost.h"

#include "Command.h"
#include "shell/ScreenController.h"

#include <QTextStream>

TerminalUiHost::TerminalUiHost(bool alwaysYes) : m_alwaysYes(alwaysYes), m_previous(UiHost::current())
{
    UiHost::setCurrent(this);
}

TerminalUiHost::~TerminalUiHost()
{
    UiHost::setCurrent(m_previous);
}

void TerminalUiHost::showAlert(const QString &title, const QString &text)
{
    Commands::err() << title << ": " << text << Qt::endl;
    if (onAlert)
        onAlert(title);
}

int TerminalUiHost::ask(const QString &, const QString &text, const QStringList &buttons, int cancelIndex)
{
    // The last button is the yes of every question a command meets.
    const int yes = int(buttons.size()) - 1;
    if (m_alwaysYes)
        return yes;
    Commands::out() << text << " [" << buttons.value(yes) << "/" << buttons.value(cancelIndex) << "] " << Qt::flush;
    static QTextStream in(stdin);
    const QString answer = in.readLine().trimmed();
    return !answer.isEmpty() && buttons.value(yes).startsWith(answer, Qt::CaseInsensitive) ? yes : cancelIndex;
}

std::optional<QString> TerminalUiHost::askText(const QString &, const QString &, const QString &)
{
    return std::exchange(m_textAnswer, std::nullopt);
}

std::optional<QString> TerminalUiHost::askTextEntry(const QString &title, const QString &text, const TextEntry &)
{
    return askText(title, text, QString());
}

void TerminalUiHost::push(ScreenController *screen)
{
    screen->viewWillAppear();
    m_stack.append(screen);
    screen->viewDidAppear();
}

void TerminalUiHost::pop()
{
    if (m_stack.isEmpty())
        return;
    ScreenController *top = m_stack.takeLast();
    top->viewWillDisappear();
    top->viewDidDisappear();
    if (onPop)
        onPop();
}
