#include "DocumentPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool isAtOrBelow(const QString &path, const QString &root)
{
    if (path == root)
        return true;
    return path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

// The path with the longest part of it that exists replaced by its real location.
QString realLocation(const QString &path)
{
    QString existing = path;
    QString missing;
    for (;;) {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty())
            return missing.isEmpty() ? canonical : canonical + missing;
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return path;
        missing.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
}

// Whether every part of `path` below `root` exists and none is a symbolic link: then the
// path cannot lead out of `root`, and resolving every link of both (a dozen system calls per
// request) is not needed.
bool existsWithoutLinksBelow(const QString &root, const QString &path)
{
    if (path.size() <= root.size() + 1)
        return false;
    const QByteArray encoded = QFile::encodeName(path);
    const qsizetype rootBytes = QFile::encodeName(root).size();
    QByteArray prefix;
    for (qsizetype end = rootBytes + 1; end <= encoded.size(); ++end) {
        if (end < encoded.size() && encoded.at(end) != '/')
            continue;
        prefix = encoded.left(end);
        struct stat status {};
        if (lstat(prefix.constData(), &status) != 0 || S_ISLNK(status.st_mode))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> DocumentPaths::within(const QString &root, const QString &relative)
{
    if (root.isEmpty() || relative.contains(QChar(QChar::Null)))
        return std::nullopt;
    const QString cleanRoot = QDir::cleanPath(root);
    const QString path = QDir::cleanPath(cleanRoot + QLatin1Char('/') + relative);
    if (!isAtOrBelow(path, cleanRoot))
        return std::nullopt;
    if (!existsWithoutLinksBelow(cleanRoot, path) && !staysWithin(cleanRoot, path))
        return std::nullopt;
    return path;
}

bool DocumentPaths::staysWithin(const QString &root, const QString &path)
{
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    return !realRoot.isEmpty() && isAtOrBelow(realLocation(path), realRoot);
}

bool DocumentPaths::isPlainRelativePath(const QString &relative)
{
    if (relative.contains(QLatin1Char('\\')) || relative.contains(QChar(QChar::Null)))
        return false;
    const QStringList parts = relative.split(QLatin1Char('/'));
    return !parts.contains(QStringLiteral(".."));
}

QString DocumentPaths::parentOf(const QString &relative)
{
    const QString clean = QDir::cleanPath(QLatin1Char('/') + relative);
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : clean.left(slash);
}
