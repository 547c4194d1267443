#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// Command-line words split into options and positional arguments.
struct Arguments {
    QMap<QString, QString> options; // "--name VALUE" or "--name=VALUE", by name without dashes
    QSet<QString> flags;            // "--flag"
    QStringList positional;
    QString error;                  // set when a word is not understood

    bool has(const QString &name) const { return flags.contains(name) || options.contains(name); }
    QString value(const QString &name, const QString &fallback = QString()) const { return options.value(name, fallback); }
};

// Parses `words`: names in `valueOptions` take a value, names in `flags` take none; any other
// "--word" is an error. "--" ends the options.
Arguments parseArguments(const QStringList &words, const QSet<QString> &valueOptions, const QSet<QString> &flags);
