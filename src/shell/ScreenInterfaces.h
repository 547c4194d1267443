#pragma once

#include "addressbook/EntryData.h"

#include <QString>

#include <functional>

// What the shell asks of screens that live in higher libraries. Those screens inherit the
// interface next to ScreenController; the shell reaches them through the registry and a
// dynamic_cast, so it never depends on their code. A screen that does not implement its
// interface is simply not driven (the call is logged).

// The file list (screen 5).
class FileChooserInterface {
public:
    virtual ~FileChooserInterface() = default;
    // Lists the documents folder for a mode (0 import, 4/5 cloud folders …).
    virtual void loadFiles(int mode) = 0;
    // Asks for and runs the import of one file of the documents folder (by file name).
    virtual void importFile(const QString &name) = 0;
};

// The contact selection list (screen 7).
class SelectionListInterface {
public:
    virtual ~SelectionListInterface() = default;
    virtual void setMode(int mode) = 0;
    // The duplicate criterion of the merge mode (0 first + last name, 1 first, 2 last, 3 all).
    virtual void setSearchCriteria(int criterion) = 0;
    // The merge mode's duplicate search (rows for criteria 0 to 2), run on a worker thread; it
    // reports its own failures on the main thread.
    virtual void setDuplicateSearch(std::function<EntryList(int criterion)> search) = 0;
};

// The group list (screen 11).
class GroupListInterface {
public:
    virtual ~GroupListInterface() = default;
    virtual void loadGroups() = 0;
};

// A screen that sends one file of the documents folder (the upload screen, 6, and the peer
// sending screen, 14).
class FileSenderInterface {
public:
    virtual ~FileSenderInterface() = default;
    // The file of the documents folder (by name) to send.
    virtual void setFile(const QString &name) = 0;
};
