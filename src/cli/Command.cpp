#include "Command.h"

#include "addressbook/AddressBookBusy.h"

namespace {
QList<Command> &registry()
{
    static QList<Command> commands;
    return commands;
}
}

bool Commands::add(const Command &command)
{
    registry().append(command);
    return true;
}

const QList<Command> &Commands::all()
{
    return registry();
}

const Command *Commands::find(const QString &name)
{
    for (const Command &command : registry()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QTextStream &Commands::out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &Commands::err()
{
    static QTextStream stream(stderr);
    return stream;
}

int Commands::fail(const QString &message)
{
    err() << "vennaro: " << message << Qt::endl;
    // Many failures reach a command only as a count or a general text; the reason the person can
    // act on is that another window or command holds the address book.
    const QString busy = AddressBookBusy::message();
    if (AddressBookBusy::failures() > 0 && !message.contains(busy))
        err() << "vennaro: " << busy << Qt::endl;
    return 1;
}
