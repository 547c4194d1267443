#pragma once

#include "formats/common/SelectionWalk.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class ProgressTarget;

// The seven export formats and how each one is written into the documents folder, for the
// export screen and `vennaro export` alike.
namespace ExportFormats {

// In the order of the screen's segments.
enum Format { BIN = 0, LDIF = 1, VCF = 2, HTML = 3, TXT = 4, CSV = 5, WIN = 6 };
inline constexpr int kCount = 7;

struct Description {
    const char *segment;  // "BIN", "LDIF" … on the screen
    const char *name;     // "bin", "ldif" … on the command line
    const char *titleKey; // null: the title is the same in every language
    const char *title;
    const char *noteKey;
    const char *extension;
};
// `format` must be one of Format.
const Description &describe(int format);
// The format with that command-line name, in any letter case; -1 for none.
int formatNamed(const QString &name);
QStringList names();
// The extension of the file a format makes ("zip" for a vCard export of separate files).
QString extensionOf(int format, bool singleVCard);

// One export as it was asked for; copied for the worker thread.
struct Job {
    int format = BIN;
    QString name; // the file name without extension
    SelectedPeople people; // in list order
    int schema = 0; // LDIF: 0 Vennaro, 1 generic, 2 Mozilla
    QString dnSuffix;
    bool singleVCard = true;
    uint32_t mask = 0;
    int charSet = 0;
    ProgressTarget *progress = nullptr;
};

// What went wrong when a writer did not make the file.
enum class Failure { None, AddressBook, File };
struct Outcome {
    int answer = 0; // the writer's answer: the records written (or selected)
    Failure failure = Failure::None;
};

// Runs the format's writer (on the calling thread) into documents/NAME.EXTENSION.
Outcome run(const Job &job);

}
