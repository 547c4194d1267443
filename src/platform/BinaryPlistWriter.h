#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <utility>
#include <vector>

// Builds a binary property list ("bplist00") object by object, children before their
// containers, and lays it out in one pass at the end. Texts and UIDs are stored once
// however often they are added. Data is kept by reference (Qt's implicit sharing) until
// finish(), so large blobs are copied only into the output.
class BinaryPlistWriter {
public:
    using Ref = quint32;

    Ref addString(const QString &text);
    Ref addInteger(qint64 value);
    Ref addReal(double value);
    Ref addBool(bool value);
    Ref addData(const QByteArray &data);
    Ref addUid(quint64 uid);
    Ref addArray(const std::vector<Ref> &members);
    Ref addDictionary(const std::vector<std::pair<Ref, Ref>> &entries);

    // The property list with `top` as its top object.
    QByteArray finish(Ref top) const;

private:
    enum class Kind : quint8 { Ascii, Utf16, Integer, Real, Bool, Data, Uid, Array, Dictionary };
    struct Object {
        Kind kind;
        quint64 number = 0;  // integer, bool, UID; real as bits; payload index for texts and data
        quint32 first = 0;   // containers: first child in m_children
        quint32 count = 0;   // containers: entries; texts: characters
    };

    Ref add(const Object &object);

    std::vector<Object> m_objects;
    std::vector<Ref> m_children;
    std::vector<QByteArray> m_payloads; // texts (encoded) and data
    QHash<QString, Ref> m_strings;
    QHash<quint64, Ref> m_uids;
};
