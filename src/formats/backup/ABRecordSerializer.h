#pragma once

#include "addressbook/ABRecord.h"
#include "platform/KeyedDictionary.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// One person as a keyed archive whose root is a dictionary with integer keys: the property
// identifiers of the person's texts, kind, birthday and multi-values, kImageKey (the image
// bytes) and kGroupsKey (group names). This is the blob layer of a .vnbin file.
class ABRecordSerializer {
public:
    static constexpr int kGroupsKey = 99998;
    static constexpr int kImageKey = 99999;

    // The person's blob with `groups` as its group list; none when it cannot be archived
    // (logged). Export filters do not apply: every property with a value is written. A person
    // in its stored form is archived as its values are read, without the dictionary between;
    // the bytes are those of the two halves below.
    static std::optional<QByteArray> personToData(const ABRecord &person, const QStringList &groups);
    // personToData of a person in its stored form, archived as its values are read where they
    // are stored. None, without a log line, for a value only the general path handles: a
    // number with a fraction, a multi-value where one value belongs or the reverse, a
    // multi-value of over 1,000 entries (whose keys no longer sort by index).
    static std::optional<QByteArray> storedPersonToData(const ABRecordCodec::Stored &stored, const ABRecord &person,
                                                        const QStringList &groups);
    // The two halves of personToData: the first reads the person (and may read its book), the
    // second touches nothing but the dictionary, so it may run on any thread.
    static KeyedDictionary personDictionary(const ABRecord &person, const QStringList &groups);
    static std::optional<QByteArray> dictionaryToData(const KeyedDictionary &dictionary);

    // A new person (not added to any address book) in `source`, or in none; `retGroups`
    // gets the stored group names. None, with a log line, when the blob is not a person
    // dictionary or the address book refuses one of its values. An archive of the shape this
    // program writes is read straight into the stored form; the values are those of the
    // general path below.
    static ABRecordRef createPersonFromData(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups);
    // The two paths of createPersonFromData: the first answers none, without a log line, for
    // an archive of another shape (NSString instances, nil values, multi-value keys out of
    // index order, a value the second would refuse or ignore); the second decodes the whole
    // archive into values first.
    static ABRecordRef storedPersonFromData(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups);
    static ABRecordRef decodedPersonFromData(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups);

    // A multi-value as a dictionary: key "%.3d%@" (index, stored label or empty), value the
    // entry's text, date or dictionary.
    static QVariantMap dictionaryFromMultiValueProperty(const ABMultiValue &multi);
    // The reverse: entries in index order, labels as stored (empty text for none). None when
    // the values are not all texts, all dates or all dictionaries of texts.
    static std::optional<ABMultiValue> multiValuePropertyFromDictionary(const KeyedDictionary &dictionary);

    // Stores `property` of `person` in `dictionary` by its property type (text, integer,
    // date, multi text/date/dictionary); other types and empty values are left out.
    static void copyProperty(ABPropertyID property, const ABRecord &person, KeyedDictionary &dictionary);
};
