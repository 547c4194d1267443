#!/usr/bin/env python3
"""Reads a .vnbin file with Python's plistlib, resolving the keyed-archive object graph on
its own, and prints what it found as JSON: the archive header of the file and, per person
blob, its header, its integer keys, its class names and a few values. The backup tests
compare this with the address book."""

import json
import plistlib
import sys
from plistlib import UID


def resolve(objects, ref, depth=0):
    if depth > 100:
        raise ValueError("too deep")
    value = objects[ref.data] if isinstance(ref, UID) else ref
    if isinstance(value, dict) and "$class" in value:
        name = objects[value["$class"].data]["$classname"]
        if "NS.keys" in value:
            return {resolve(objects, k, depth + 1): resolve(objects, v, depth + 1)
                    for k, v in zip(value["NS.keys"], value["NS.objects"])}
        if "NS.objects" in value:
            return [resolve(objects, v, depth + 1) for v in value["NS.objects"]]
        if "NS.time" in value:
            return {"date": value["NS.time"]}
        if "NS.string" in value:
            return value["NS.string"]
        if "NS.data" in value:
            return value["NS.data"]
        raise ValueError("unknown class " + name)
    if value == "$null" and ref == UID(0):
        return None
    return value


def header(archive):
    objects = archive["$objects"]
    return {
        "archiver": archive["$archiver"],
        "version": archive["$version"],
        "root": archive["$top"]["root"].data,
        "null": objects[0],
        "classes": sorted({o["$classname"] for o in objects if isinstance(o, dict) and "$classname" in o}),
    }


def jsonable(value):
    if isinstance(value, bytes):
        return {"bytes": len(value)}
    if isinstance(value, dict):
        return {str(k): jsonable(v) for k, v in value.items()}
    if isinstance(value, list):
        return [jsonable(v) for v in value]
    return value


def main(path):
    with open(path, "rb") as f:
        archive = plistlib.load(f)
    objects = archive["$objects"]
    blobs = resolve(objects, archive["$top"]["root"])
    report = {"file": header(archive), "blobs": []}
    for blob in blobs:
        inner = plistlib.loads(blob)
        person = resolve(inner["$objects"], inner["$top"]["root"])
        report["blobs"].append({
            "header": header(inner),
            "keys": sorted(person.keys()),
            "values": jsonable(person),
        })
    json.dump(report, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
