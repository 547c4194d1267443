#pragma once

#include <QByteArray>
#include <QString>

// Compares bytes with a golden file under tests/data. With VENNARO_WRITE_GOLDEN=1 in the
// environment the file is (re)written instead, to be checked by hand before committing.
namespace GoldenFile {
// Empty when equal; otherwise a message naming the first differing line.
QString compare(const QByteArray &actual, const QString &name);
}
