#pragma once

#include "LdifAttributes.h"
#include "addressbook/ABAddressBook.h"
#include "formats/common/ImportGroups.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <utility>

class ProgressTarget;

// Reads an LDIF file and creates one person per entry ("dn:" line). Understands what our
// writer produces in all three schemas (in full only our own schema) and the common Mozilla
// attributes. Values are bytes in the character set setting (0 UTF-8, else ISO 8859-1);
// values that are not valid in it are skipped, as are malformed lines.
//
// Answers the number of entries read, or -1 when the file cannot be opened or holds a line
// longer than FileLines' cap, or ImportOutcome::failure when the address book cannot be opened
// or the people cannot be saved (nothing changed then). People are saved once at the end;
// groups named in the file are created and filled after that save.
int ldif_import(const QString &path, uint32_t mask, int charSet, ProgressTarget *target);

class LdifReader {
public:
    LdifReader(uint32_t mask, int charSet, ProgressTarget *target);
    int read(const QString &path);

private:
    // Mailing lists (entries of object class groupOfNames or groupOfUniqueNames) become groups
    // of the people of this file whose DNs they name, resolved once the whole file is read.
    struct MailingList {
        QString name;
        QStringList memberDNs;
    };
    // Makes one entry's logical lines into a person or a mailing list; it touches no address
    // book, so that entries can be read on helper threads.
    class EntryReader;
    struct Entry {
        ABRecordRef person;      // none for a mailing list; packed: its values in the stored form
        QString dn;              // normalised; empty when the entry has none
        QStringList groupNames;
        bool isList = false;
        MailingList list;
    };
    // Adds a read entry's person to the book, or keeps its mailing list for the end.
    void addEntry(Entry &&entry, bool atEndOfFile);
    void addMailingLists();

    uint32_t m_mask;
    int m_charSet;
    ProgressTarget *m_target;
    ABAddressBookRef m_book;
    ABRecordRef m_source; // where new people go: the chosen source, else the default one
    int m_count = 0;
    ImportGroups m_groups;
    QList<MailingList> m_lists;
    // The people of the file by normalised DN, for the mailing lists at its end: by
    // identifier once the book has written them, so that they need not stay in memory;
    // until then, in the order read.
    QHash<QString, ABRecordID> m_writtenByDN;
    QList<std::pair<QString, ABRecordRef>> m_unwrittenByDN;
    void keepWrittenByIdentifier();
};
