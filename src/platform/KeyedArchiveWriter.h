#pragma once

#include "BinaryPlistWriter.h"
#include "KeyedDictionary.h"
#include "Result.h"

#include <QByteArray>
#include <QVariant>

#include <array>
#include <vector>

class QDateTime;
class QIODevice;

// Builds the object graph of a keyed archive, "$objects", where entry n is the object with
// UID n, and lays it out as a binary property list. Containers take their UID before their
// members, so the root is always object 1, as other archivers do it.
//
// encode() takes any value KeyedArchiver::archivedData takes. A writer that walks values of
// its own, without variants, uses the pieces encode() is made of in the order encode() uses
// them, and gets the same bytes.
class KeyedArchiveWriter {
public:
    using Uid = quint64;

    KeyedArchiveWriter();
    // Empty again, as made, keeping the room its tables have grown to.
    void clear();

    Result<void> encode(const QVariant &value, Uid &uid, int depth = 0);

    // Equal texts are stored once, as other archivers do for their keys and labels.
    Uid text(QStringView text);
    Uid integer(qint64 value);
    Uid data(const QByteArray &data);
    // An invalid date cannot be archived.
    Result<Uid> date(const QDateTime &date);

    // A container: its UID is taken before its members are encoded, and it is closed after.
    Uid openContainer() { return append(0); }
    // The members of a dictionary being built, each key and value added after both are encoded.
    struct Entries {
        std::vector<BinaryPlistWriter::Ref> keys, values;
        void clear() { keys.clear(), values.clear(); }
    };
    void addEntry(Entries &entries, Uid key, Uid value);
    void closeDictionary(Uid uid, const Entries &entries);

    // The property list with `root` as the archive's root object.
    QByteArray finish(Uid root) { return m_plist.finish(archive(root)); }

    // A root list of data that goes out to `out` as it grows, laid out as encode() lays out
    // the same list.
    void beginDataList() { m_dataListUid = openContainer(); }
    bool appendToDataList(QIODevice &out, const QByteArray &data);
    bool finishDataList(QIODevice &out);

private:
    using Ref = BinaryPlistWriter::Ref;

    Uid append(Ref ref)
    {
        m_objects.push_back(ref);
        return m_objects.size() - 1;
    }
    enum class ArchivedClass { Array, Dictionary, Date };
    Uid classUid(ArchivedClass archived);
    // The objects every archive starts with.
    void start();
    Result<void> encodeList(const QVariantList &list, Uid uid, int depth);
    void closeList(Uid uid, const std::vector<Ref> &members);
    Result<void> encodeDictionary(const QList<KeyedDictionary::Entry> &entries, Uid uid, int depth);
    // The archive's top dictionary.
    Ref archive(Uid rootUid);

    BinaryPlistWriter m_plist;
    std::vector<Ref> m_objects;
    Ref m_keys;
    Ref m_values;
    Ref m_class;
    std::array<Uid, 3> m_classes{}; // by ArchivedClass; 0 until first used
    // The UID of each text by its reference in the property list, 0 where it has none yet.
    std::vector<Uid> m_stringUids;
    Uid m_dataListUid = 0;
    std::vector<Ref> m_dataListMembers;
};
