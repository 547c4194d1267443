#pragma once

#include <QString>
#include <QStringList>

// What the program was started with: global options, then a command and its words, or a
// file to open in the window.
struct LaunchOptions {
    QString documents;    // --documents DIR
    QString addressbook;  // --addressbook FILE
    bool help = false;    // --help / -h before any command
    bool version = false; // --version
    QString command;      // the first word that is not a global option (empty: the window)
    QStringList commandArguments;
    QString error;

    // Parses argv without the program name. Environment variables are not read here.
    static LaunchOptions parse(const QStringList &words);
};
