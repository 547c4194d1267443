#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// The pages of the web file manager, made from the templates of its resource folder. Every
// name and path that goes into a page is HTML-escaped, and every one in a link is
// percent-encoded, so that any file name shows as text and its link reaches it.
class HttpFTPages {
public:
    // What the pages offer (the server's PERMISSIONS bits).
    enum Permission : uint {
        MakeFolder = 1,    // the make-folder form
        Upload = 2,        // the upload form
        Delete = 4,        // Delete links (files, and empty folders)
        DownloadMode = 8,  // file links download; no Download links
    };

    // `resourceFolder` holds the templates; `relativePath` is its name in URLs ("httpft").
    HttpFTPages(const QString &resourceFolder, const QString &relativePath, uint permissions);

    // The page of the folder `folder` on disk, shown at `relative` ("/" or "/a/b").
    QString createBrowseableIndex(const QString &folder, const QString &relative) const;
    // A page with one message and a link back to `relative` (percent-encoded in "[[[CURPATH]]]").
    QString createResultResponse(const QString &message, const QString &relative) const;
    // The device description with this connection's "address:port"; empty when the
    // template cannot be read.
    QString upnpDescription(const QString &addressAndPort) const;

    // "%d-%02d-%02d %02d:%02d:%02d" in local time.
    static QString formatedDateFromDate(const QDateTime &date);
    // Link of an entry: the bare name at "/", else the relative path, "/" and the name.
    static QString entryLink(const QString &relative, const QString &name);
    static QString iconForFileName(const QString &name);

private:
    QString readTemplate(const QString &name) const;
    QString folderRow(const class QFileInfo &entry, const QString &relative, bool *isFolder) const;
    QString deleteLink(const QString &link) const;
    QString folderHeading(const QString &relative) const;

    QString m_resourceFolder;
    QString m_relativePath;
    uint m_permissions;
};

// Replaces each placeholder with its value in one pass, so text put in is never read again as
// a placeholder.
QString fillTemplate(const QString &text, const QList<QPair<QString, QString>> &values);
