#!/usr/bin/env python3
"""Writes the sample .vnbin files of the backup tests with Python's own plistlib, an
implementation of keyed archives that is not ours: backup/foreign.vnbin and
backup/partly-broken.vnbin (readable), and every file of backup-broken/ (each must be
refused as a whole). Run it from tests/data to write the files again."""

import plistlib
import struct
from plistlib import UID


def archive(objects, root=1, archiver="NSKeyedArchiver", fmt=plistlib.FMT_BINARY):
    return plistlib.dumps({"$archiver": archiver, "$version": 100000, "$top": {"root": UID(root)},
                           "$objects": objects}, fmt=fmt, sort_keys=False)


def klass(name):
    return {"$classname": name, "$classes": [name, "NSObject"]}


class Graph:
    """Objects in the order another archiver would lay them out."""

    def __init__(self):
        self.objects = ["$null"]

    def add(self, value):
        self.objects.append(value)
        return UID(len(self.objects) - 1)

    def reserve(self):
        return self.add(None)

    def put(self, uid, value):
        self.objects[uid.data] = value


def foreign_person(first, last, kind, groups, image, mutable_strings=True):
    """A person dictionary as an archiver with mutable classes writes it."""
    g = Graph()
    root = g.reserve()
    dict_class = g.add(klass("NSMutableDictionary"))
    string_class = g.add(klass("NSMutableString"))
    data_class = g.add(klass("NSMutableData"))
    array_class = g.add(klass("NSMutableArray"))
    date_class = g.add(klass("NSDate"))

    def text(value):
        if mutable_strings:
            return g.add({"NS.string": value, "$class": string_class})
        return g.add(value)

    keys, values = [], []

    def put(key, uid):
        keys.append(g.add(key))
        values.append(uid)

    put(0, text(first))
    put(1, text(last))
    put(16, g.add(kind))
    put(17, g.add({"NS.time": 12.0 * 3600 - 86400 * 366, "$class": date_class}))  # 2000-01-01 12:00 UTC
    phones = g.reserve()
    g.put(phones, {"NS.keys": [g.add("000_$!<Mobile>!$_"), g.add("001")],
                   "NS.objects": [text("+351 912 345 678"), text("21 000 0000")], "$class": dict_class})
    put(3, phones)
    addresses = g.reserve()
    home = g.reserve()
    g.put(home, {"NS.keys": [g.add("City"), g.add("Street")],
                 "NS.objects": [text("Lisboa"), text("Rua Augusta 1\n2.º")], "$class": dict_class})
    g.put(addresses, {"NS.keys": [g.add("000_$!<Home>!$_")], "NS.objects": [home], "$class": dict_class})
    put(5, addresses)
    if image is not None:
        put(99999, g.add({"NS.data": image, "$class": data_class}))
    put(99998, g.add({"NS.objects": [text(name) for name in groups], "$class": array_class}))
    g.put(root, {"NS.keys": keys, "NS.objects": values, "$class": dict_class})
    return archive(g.objects)


def blob_list(blobs, mutable_data=True):
    g = Graph()
    root = g.reserve()
    array_class = g.add(klass("NSMutableArray"))
    data_class = g.add(klass("NSMutableData"))
    members = []
    for index, blob in enumerate(blobs):
        # Alternate the two ways of storing data, as archivers differ there.
        if mutable_data and index % 2 == 0:
            members.append(g.add({"NS.data": blob, "$class": data_class}))
        else:
            members.append(g.add(blob))
    g.put(root, {"NS.objects": members, "$class": array_class})
    return archive(g.objects)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def handmade_bplist(objects, top=0, ref_size=1, offset_size=2, trailer_offset=None):
    """A binary property list from raw object bytes, for counts no real writer would make."""
    body = b"bplist00"
    offsets = []
    for obj in objects:
        offsets.append(len(body))
        body += obj
    table_offset = len(body)
    for offset in offsets:
        body += offset.to_bytes(offset_size, "big")
    body += bytes(6) + bytes([offset_size, ref_size])
    body += struct.pack(">QQQ", len(objects), top, trailer_offset if trailer_offset is not None else table_offset)
    return body


def main():
    good = foreign_person("Inês", "Brandão", 0, ["Family", "Work"], b"\x89PNG\r\n\x1a\nfake image")
    plain = foreign_person("Ørjan", "Ødegaard", 1, [], None, mutable_strings=False)
    write("backup/foreign.vnbin", blob_list([good, plain]))

    # Whole file readable; blobs 2 to 5 are not persons and are skipped.
    not_archive = b"bplist00 but not really"
    array_root = archive(["$null", {"NS.objects": [], "$class": UID(2)}, klass("NSArray")])
    bad_kind = foreign_person("Bad", "Kind", "not a number", [], None)
    empty_image = foreign_person("Empty", "Image", 0, [], b"")
    write("backup/partly-broken.vnbin", blob_list([good, not_archive, array_root, bad_kind, empty_image]))

    broken = "backup-broken/"
    valid = blob_list([good, plain])
    write(broken + "empty.vnbin", b"")
    write(broken + "text.vnbin", b"BEGIN:VCARD\r\nVERSION:2.1\r\nN:Not;A;Backup\r\nEND:VCARD\r\n")
    write(broken + "truncated.vnbin", valid[: len(valid) // 2])
    write(broken + "truncated-trailer.vnbin", valid[:-7])
    # The XML form of an empty list of persons: keyed archives are read in binary form only.
    write(broken + "xml.vnbin", b"""<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>$archiver</key><string>NSKeyedArchiver</string>
<key>$version</key><integer>100000</integer>
<key>$top</key><dict><key>root</key><dict><key>CF$UID</key><integer>1</integer></dict></dict>
<key>$objects</key><array><string>$null</string>
<dict><key>NS.objects</key><array/><key>$class</key><dict><key>CF$UID</key><integer>2</integer></dict></dict>
<dict><key>$classname</key><string>NSArray</string><key>$classes</key><array><string>NSArray</string></array></dict>
</array></dict></plist>
""")
    write(broken + "plain-list.vnbin", plistlib.dumps([good, plain], fmt=plistlib.FMT_BINARY))
    write(broken + "wrong-archiver.vnbin", archive(plistlib.loads(valid)["$objects"], archiver="NSCoder"))
    write(broken + "objects-not-a-list.vnbin", plistlib.dumps(
        {"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": {"root": UID(1)}, "$objects": {"a": 1}},
        fmt=plistlib.FMT_BINARY))
    write(broken + "no-null.vnbin", archive(["nothing", {"NS.objects": [], "$class": UID(2)}, klass("NSArray")]))
    write(broken + "root-dictionary.vnbin", archive(
        ["$null", {"NS.keys": [], "NS.objects": [], "$class": UID(2)}, klass("NSDictionary")]))
    write(broken + "root-string.vnbin", archive(["$null", "a text"]))
    write(broken + "root-nil.vnbin", archive(["$null"], root=0))
    write(broken + "root-out-of-range.vnbin", archive(["$null"], root=7))
    write(broken + "member-out-of-range.vnbin", archive(
        ["$null", {"NS.objects": [UID(99)], "$class": UID(2)}, klass("NSArray")]))
    write(broken + "class-out-of-range.vnbin", archive(["$null", {"NS.objects": [], "$class": UID(50)}]))
    write(broken + "no-class.vnbin", archive(["$null", {"NS.objects": []}]))
    write(broken + "unknown-class.vnbin", archive(
        ["$null", {"NS.objects": [], "$class": UID(2)}, klass("NSHashTable")]))
    write(broken + "cycle.vnbin", archive(["$null", {"NS.objects": [UID(1)], "$class": UID(2)}, klass("NSArray")]))
    write(broken + "cycle-indirect.vnbin", archive(
        ["$null", {"NS.objects": [UID(3)], "$class": UID(2)}, klass("NSArray"),
         {"NS.keys": [UID(4)], "NS.objects": [UID(1)], "$class": UID(5)}, "key", klass("NSDictionary")]))
    deep = ["$null"]
    for level in range(200):
        deep.append({"NS.objects": [UID(level + 2)] if level < 199 else [], "$class": UID(201)})
    deep.append(klass("NSArray"))
    write(broken + "deep-nesting.vnbin", archive(deep))
    write(broken + "keys-without-values.vnbin", archive(
        ["$null", {"NS.objects": [UID(3)], "$class": UID(2)}, klass("NSArray"),
         {"NS.keys": [UID(4), UID(4)], "NS.objects": [UID(4)], "$class": UID(5)}, "key", klass("NSDictionary")]))
    write(broken + "member-not-a-uid.vnbin", archive(
        ["$null", {"NS.objects": [3], "$class": UID(2)}, klass("NSArray")]))
    write(broken + "bad-date.vnbin", archive(
        ["$null", {"NS.objects": [UID(3)], "$class": UID(2)}, klass("NSArray"),
         {"NS.time": float("nan"), "$class": UID(4)}, klass("NSDate")]))
    # An array that claims 2^31 - 1 members in a file of a few dozen bytes.
    write(broken + "huge-count.vnbin", handmade_bplist([b"\xaf\x12\x7f\xff\xff\xff\x00"]))
    # A dictionary that claims 2^62 entries.
    write(broken + "huge-count-dictionary.vnbin", handmade_bplist([b"\xdf\x13" + (1 << 62).to_bytes(8, "big") + b"\x00\x00"]))
    write(broken + "offset-table-outside.vnbin", handmade_bplist([b"\x08"], trailer_offset=1 << 40))
    # Arrays nested 1000 deep inside the property list itself (not through UIDs).
    nested = [b"\xa1" + (i + 1).to_bytes(2, "big") for i in range(999)] + [b"\xa0"]
    write(broken + "bplist-deep-nesting.vnbin", handmade_bplist(nested, ref_size=2))
    # Object references that point at the referring object itself (a cycle below the archive).
    write(broken + "bplist-self-reference.vnbin", handmade_bplist([b"\xa1\x00"]))


if __name__ == "__main__":
    main()
