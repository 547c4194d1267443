#include "Command.h"

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
    return 1;
}
