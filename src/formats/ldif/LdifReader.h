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
    void processLogicalLine(const QByteArray &line);
    void startEntry();
    void finishEntry(bool atEndOfFile);
    void resetCollections();
    void storeCollections();
    void handleAttribute(const LdifAttribute &attribute, const QString &value, const QString &label, QByteArrayView raw);
    void appendMulti(ABPropertyID property, ABMultiValue &multi, const QVariant &value, const std::optional<QString> &label);
    void setAddressPart(QVariantMap &address, const QString &key, const QString &value);
    QVariantMap &customAddress(const QString &label);
    void addMailingLists();
    bool accepts(uint32_t filterBit) const { return filterBit == 0 || (m_mask & filterBit); }

    uint32_t m_mask;
    int m_charSet;
    ProgressTarget *m_target;
    ABAddressBookRef m_book;
    ABRecordRef m_source; // where new people go: the chosen source, else the default one
    ABRecordRef m_person;
    int m_count = 0;
    ImportGroups m_groups;

    ABMultiValue m_phones{kABMultiStringPropertyType};
    ABMultiValue m_emails{kABMultiStringPropertyType};
    ABMultiValue m_urls{kABMultiStringPropertyType};
    ABMultiValue m_dates{kABMultiDateTimePropertyType};
    ABMultiValue m_addresses{kABMultiDictionaryPropertyType};
    ABMultiValue m_instantMessages{kABMultiDictionaryPropertyType};
    QVariantMap m_home, m_work, m_other, m_mozillaHome;
    QList<std::pair<QString, QVariantMap>> m_custom; // by label, in the order met

    // Mailing lists (entries of object class groupOfNames or groupOfUniqueNames) become groups
    // of the people of this file whose DNs they name, resolved once the whole file is read.
    struct MailingList {
        QString name;
        QStringList memberDNs;
    };
    QString m_dn;            // of the entry being read
    bool m_isList = false;   // the entry being read is a mailing list
    MailingList m_list;
    QList<MailingList> m_lists;
    // The people of the file by normalised DN, for the mailing lists at its end: by
    // identifier once the book has written them, so that they need not stay in memory;
    // until then, in the order read.
    QHash<QString, ABRecordID> m_writtenByDN;
    QList<std::pair<QString, ABRecordRef>> m_unwrittenByDN;
    void keepWrittenByIdentifier();
};
