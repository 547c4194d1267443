#pragma once

#include "BinaryPlistReader.h"
#include "Result.h"

#include <QByteArray>

#include <optional>
#include <vector>

// Reads the object graph of a keyed archive where it lies: checks its frame ("$archiver"
// NSKeyedArchiver, "$version", "$objects" starting with "$null", "$top"), finds objects by
// UID, and tells the class and the fields of an instance. KeyedUnarchiver builds values from
// these pieces; a reader that expects an archive of a known shape walks it with them without
// building a variant per value.
class KeyedArchiveReader {
public:
    using Kind = BinaryPlistReader::Kind;
    using Object = BinaryPlistReader::Object;
    // The classes an archive may hold (mutable and immutable names alike).
    enum class Class : unsigned char { Unread, Array, Dictionary, Date, String, Data, Unknown };
    // The instance fields a dictionary holds, each the first entry with that key.
    enum Field : signed char { ClassField, KeysField, ObjectsField, TimeField, StringField, DataField, FieldCount };
    struct Fields {
        std::optional<quint64> at[FieldCount]; // references into the property list
    };

    // "not a readable keyed archive: `why`".
    static Error bad(const char *why);
    static bool isText(const Object &object) { return object.kind == Kind::Ascii || object.kind == Kind::Utf16; }
    static bool isList(const Object &object) { return object.kind == Kind::Array || object.kind == Kind::Set; }

    // Opens `bytes` as a binary property list.
    Result<void> open(QByteArray bytes);
    // Checks the archive's frame around the objects, and finds the root.
    Result<void> checkFrame();
    const BinaryPlistReader &plist() const { return m_plist; }
    // The reference "$top" gives for the root.
    std::optional<quint64> rootReference() const { return m_root; }
    // How many objects "$objects" holds; UIDs lie below.
    quint64 objectCount() const { return m_objects.count; }
    // The object with `uid` (below objectCount()).
    Result<Object> objectOf(quint64 uid) const { return m_plist.objectAt(m_plist.reference(m_objects, uid)); }

    Fields fieldsOf(const Object &instance);
    Result<Class> classOf(std::optional<quint64> classReference);
    // A date instance's NS.time in milliseconds since 1970 UTC, within the range anyone stores.
    Result<qint64> dateOf(const Fields &fields) const;

private:
    static Class classNamed(const QByteArray &name);

    BinaryPlistReader m_plist;
    Object m_objects;
    std::optional<quint64> m_root;
    // Class entries by UID, read once: every person's values name the same few classes.
    std::vector<Class> m_classes;
    // The field each key object names, by its index in the property list: every instance has
    // the same few keys, and each is one shared object.
    std::vector<signed char> m_fieldOfKey;
};
