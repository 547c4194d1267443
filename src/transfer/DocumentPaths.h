#pragma once

#include <QString>

#include <optional>

// Where a path from a request lands inside a served folder, with the folder as a hard wall:
// neither "..", nor a symbolic link that points elsewhere, leads out of it.
namespace DocumentPaths {

// `relative` (a percent-decoded path such as "/a/b") resolved against the folder `root`:
// the absolute path, or none when it holds a NUL or would lie outside `root` once "." and
// ".." parts and symbolic links are resolved. The path need not exist.
std::optional<QString> within(const QString &root, const QString &relative);

// Whether the real location of the existing `path` (links resolved) is `root` or below it.
bool staysWithin(const QString &root, const QString &path);

// Whether a path or name sent by a form is one this server writes to: no ".." part, no
// backslash, no NUL. "/" and "./" name the root itself.
bool isPlainRelativePath(const QString &relative);

// The parent of a relative path: "/a/b" -> "/a", "/a" and "/" -> "/".
QString parentOf(const QString &relative);

}
