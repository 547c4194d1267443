#pragma once

#include "VCardLines.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABMultiValue.h"
#include "formats/common/ImportGroups.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringConverter>
#include <QStringList>

#include <cstdint>
#include <optional>

class ProgressTarget;

// The program's own vCard reader: every card of a file becomes a new person, with the import
// field filter and the marker (bit 0 of the mask) applied. One reader serves one file: load,
// then import.
class VCARDimport {
public:
    // More cards than this in one file are taken for a broken file.
    static constexpr qsizetype kMaxCards = 1000000;

    // Reads the file as UTF-8 (charSet 0) or ISO 8859-1 text and unfolds its lines. Answers
    // the number of cards, -1 when the BEGIN:/END: counts differ or exceed kMaxCards or a line,
    // physical or folded, is longer than FileLines' cap, -2 when
    // the file cannot be read as text in that character set (`error` then says why).
    int loadVCardFile(const QString &path, int charSet, QString *error = nullptr);

    // Creates the persons of the loaded cards and saves them in one go. Answers the number of
    // cards finished, ImportOutcome::failure when the address book cannot be opened or saved.
    int importIt(ProgressTarget *target, uint32_t mask);

    // Loads and imports in one step, for callers that only need the count: a load failure
    // answers -1.
    static int importFile(const QString &path, uint32_t mask, int charSet, ProgressTarget *target);

private:
    struct Line;
    // Makes one card's lines into a person; it touches no address book, so that cards can be
    // read on helper threads.
    class CardReader;
    struct Card {
        ABRecordRef person;     // packed: its values in the stored form
        QStringList groupNames; // X-GROUP and CATEGORIES names
    };
    // Adds a read card's person to the book and to its groups.
    void addCard(const Card &card);

    int m_encoding = 0;            // 0 UTF-8, else ISO 8859-1
    VCardLines::LineTable m_lines; // logical lines after unfolding
    int m_numitems = 0;            // cards counted when loading
    uint32_t m_mask = 0;
    ProgressTarget *m_target = nullptr;
    int m_records = 0;             // cards finished
    ABAddressBookRef m_book;
    ImportGroups m_groups{false};
};
