#pragma once

#include "NumberTransform.h"

#include <QByteArray>
#include <QString>

#include <functional>

// One scan over every phone number of the working set with a per-number transform (a change
// rule or the format masks), writing the preview report. Preview changes nothing; Commit
// writes the changed numbers back and saves the address book once, at the end, in one
// transaction. Runs on the calling thread with its own address book handle.
namespace NumberPass {

struct Request {
    const NumberTransform *transform = nullptr;
    bool commit = false;
    bool showAll = false;
    // The change rules log the book's person count ("%d records"); the format masks do not.
    bool logRecordCount = false;
    QString reportPath;
    // Progress from 0 to 1 (1 once the report is closed).
    std::function<void(double)> progress;
    // Each changed number: the person's name (null when none), the stored text and the result.
    std::function<void(const QString &name, const QString &stored, const QByteArray &result)> changed;
};

struct Outcome {
    enum class Failure {
        None,
        Report,      // preview.html could not be written (when it could not be opened, nothing ran)
        AddressBook, // the address book could not be opened; the report holds only its head
        Save,        // Commit: the save failed and nothing was changed
    };
    Failure failure = Failure::None;
    QString error;
    int people = 0;
    int changedNumbers = 0;
};

Outcome run(const Request &request);

}
