#pragma once

#include "addressbook/ABAddressBook.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh documents folder and address book for one test (or one test case): points the
// program's paths at a temporary folder, resets the settings and the source choice, and puts
// everything back when it goes.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString documents() const;
    QString addressBookPath() const;
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    ABAddressBookRef open() const;

    // The folder of sample files under tests/data.
    static QString dataPath(const QString &name);

    // Runs the vennaro program with this environment's paths; answers the exit status and
    // fills the outputs.
    int runProgram(const QStringList &arguments, QString *out = nullptr, QString *err = nullptr,
                   const QByteArray &input = QByteArray()) const;

private:
    QTemporaryDir m_dir;
};
