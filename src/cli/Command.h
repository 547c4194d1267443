#pragma once

#include "platform/Arguments.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QTextStream>

// One command of the command line. Commands register themselves (VENNARO_COMMAND) in the
// file that implements them; main() finds them by name.
struct Command {
    QString name;
    QString summary;                  // one line for `vennaro --help`
    QString usage;                    // the text of `vennaro NAME --help`
    QSet<QString> valueOptions;       // options that take a value
    QSet<QString> flags;              // options without one
    int (*run)(const Arguments &args);
};

namespace Commands {
bool add(const Command &command);
const QList<Command> &all();
const Command *find(const QString &name);

// Standard output and error, UTF-8.
QTextStream &out();
QTextStream &err();
// Prints "vennaro: MESSAGE" on standard error (and the address book being in use, when that made
// anything fail) and answers the exit status 1.
int fail(const QString &message);
}

#define VENNARO_CONCAT_(a, b) a##b
#define VENNARO_CONCAT(a, b) VENNARO_CONCAT_(a, b)
#define VENNARO_COMMAND(...) \
    static const bool VENNARO_CONCAT(registered_command_, __LINE__) = Commands::add(Command __VA_ARGS__)
