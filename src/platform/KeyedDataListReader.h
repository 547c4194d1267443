#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>

#include <memory>
#include <optional>
#include <vector>

// Reads, item by item from its file, a keyed archive whose root is a list of data (as
// KeyedArchiver::DataListWriter writes it, and as a .vnbin file is): a list too large to hold
// whole. Only that plain layout is taken, checked in full before the first item: open()
// answers nothing for anything else, which the caller then reads with KeyedUnarchiver.
class KeyedDataListReader {
public:
    static std::unique_ptr<KeyedDataListReader> open(const QString &path);

    qsizetype count() const { return qsizetype(m_items.size()); }

    // The part of the file that reads of items read last, kept for the items that follow it.
    // Items may be read on several threads at once, each with a window of its own.
    struct Window {
        QByteArray bytes;
        quint64 at = 0;
    };
    // The bytes of item `index`; none when they cannot be read (the file changed meanwhile).
    std::optional<QByteArray> item(qsizetype index, Window &window) const;

private:
    struct Object {
        quint8 kind;      // the marker's high four bits
        quint64 count;    // entries, characters or bytes
        quint64 contentAt; // where the references, characters or bytes start
    };
    struct Span {
        quint64 at;
        quint64 size;
    };

    explicit KeyedDataListReader(const QString &path) : m_file(path) {}
    bool readLayout();
    // The places of items `from` to `to` (not included), read through `window`; false when one
    // is no UID of a data object.
    bool placeItems(const std::vector<quint64> &members, size_t from, size_t to, Window &window);
    std::optional<QByteArray> bytesAt(quint64 at, quint64 size, Window &window) const;
    std::optional<Object> objectAt(quint64 ref, Window &window) const;
    std::optional<std::vector<quint64>> referencesOf(const Object &container, quint64 count, Window &window) const;
    std::optional<quint64> uidAt(quint64 ref, Window &window) const;
    std::optional<QByteArray> asciiAt(quint64 ref, Window &window) const;
    // A dictionary's ASCII keys with their value references.
    std::optional<QHash<QByteArray, quint64>> dictionaryAt(quint64 ref, Window &window) const;
    // The object a UID names in "$objects".
    std::optional<quint64> objectOfUid(quint64 uid) const;

    QFile m_file;
    quint64 m_tableOffset = 0;
    int m_refSize = 0;
    std::vector<quint64> m_offsets;
    std::vector<quint64> m_objects; // "$objects": object references by UID
    std::vector<Span> m_items;
};
