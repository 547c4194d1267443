#include "HttpFTPages.h"

#include "DocumentPaths.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString encodedName(const QString &name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

// A relative path with each of its names percent-encoded; the slashes stay.
QString encodedPath(const QString &relative)
{
    QStringList parts = relative.split(QLatin1Char('/'));
    for (QString &part : parts)
        part = encodedName(part);
    return parts.join(QLatin1Char('/'));
}

QString sizeCell(qint64 size)
{
    if (size >= 1024)
        return QStringLiteral("<td align=\"right\">%1 KB</td>\n").arg(size / 1024);
    return QStringLiteral("<td align=\"right\">%1 bytes</td>\n").arg(size);
}

} // namespace

QString fillTemplate(const QString &text, const QList<QPair<QString, QString>> &values)
{
    QString result;
    result.reserve(text.size());
    qsizetype position = 0;
    for (;;) {
        qsizetype nearest = -1;
        const QPair<QString, QString> *match = nullptr;
        for (const auto &value : values) {
            const qsizetype at = text.indexOf(value.first, position);
            if (at >= 0 && (nearest < 0 || at < nearest)) {
                nearest = at;
                match = &value;
            }
        }
        if (!match) {
            result.append(QStringView(text).sliced(position));
            return result;
        }
        result.append(QStringView(text).sliced(position, nearest - position));
        result.append(match->second);
        position = nearest + match->first.size();
    }
}

HttpFTPages::HttpFTPages(const QString &resourceFolder, const QString &relativePath, uint permissions)
    : m_resourceFolder(resourceFolder), m_relativePath(relativePath), m_permissions(permissions)
{
}

QString HttpFTPages::readTemplate(const QString &name) const
{
    QFile file(m_resourceFolder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString HttpFTPages::formatedDateFromDate(const QDateTime &date)
{
    return date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString HttpFTPages::entryLink(const QString &relative, const QString &name)
{
    if (relative == QLatin1String("/"))
        return encodedName(name);
    return encodedPath(relative) + QLatin1Char('/') + encodedName(name);
}

QString HttpFTPages::iconForFileName(const QString &name)
{
    const QString extension = QFileInfo(name).suffix().toLower();
    if (extension == QLatin1String("html"))
        return QStringLiteral("html.png");
    if (extension == QLatin1String("zip"))
        return QStringLiteral("zip.gif");
    if (QStringList{QStringLiteral("txt"), QStringLiteral("vcf"), QStringLiteral("ldif"), QStringLiteral("csv")}.contains(extension))
        return QStringLiteral("txt.png");
    if (extension == QLatin1String("plist"))
        return QStringLiteral("settings.png");
    if (extension == QLatin1String("vnbin"))
        return QStringLiteral("bin.png");
    if (QStringList{QStringLiteral("png"), QStringLiteral("tiff"), QStringLiteral("jpg")}.contains(extension))
        return QStringLiteral("image.png");
    return QStringLiteral("file.gif");
}

QString HttpFTPages::deleteLink(const QString &link) const
{
    return QStringLiteral("<a class=\"redlink\" href=\"%1?delete=yes\"  onclick=\"return confirmdelete()\">Delete</a>\n").arg(link);
}

QString HttpFTPages::folderHeading(const QString &relative) const
{
    const QString title = escaped(DeviceFacts::applicationName());
    if (relative == QLatin1String("/"))
        return title + QLatin1Char('/');
    return QStringLiteral("<a class=\"big\" href=\"%1\">UP<img\tsrc=\"/%2/up.gif\"></a>&nbsp;%3%4/")
        .arg(encodedPath(DocumentPaths::parentOf(relative)), escaped(m_relativePath), title, escaped(relative));
}

QString HttpFTPages::folderRow(const QFileInfo &entry, const QString &relative, bool *isFolder) const
{
    const QString name = entry.fileName();
    const QString link = entryLink(relative, name);
    const QString shownName = escaped(name);
    const QString icons = escaped(m_relativePath);
    QString row = QStringLiteral("<tr>\n");
    *isFolder = entry.isDir();
    if (*isFolder) {
        const qsizetype items = QDir(entry.filePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size();
        row += QStringLiteral("<td><a href=\"%1\"><img src=\"/%2/folder.gif\">&nbsp;%3</a></td>\n").arg(link, icons, shownName);
        row += QStringLiteral("<td align=\"right\">%1 items</td>\n").arg(items);
        row += QStringLiteral("<td>%1</td>\n").arg(formatedDateFromDate(entry.lastModified()));
        row += QStringLiteral("<td align=\"center\">&nbsp;\n");
        if ((m_permissions & Delete) && items == 0)
            row += deleteLink(link);
    } else {
        const bool downloadMode = m_permissions & DownloadMode;
        row += QStringLiteral("<td><a href=\"%1\" %2><img src=\"/%3/%4\">&nbsp;%5</a></td>\n")
                   .arg(link, downloadMode ? QStringLiteral(" ") : QStringLiteral("target=\"_blank\""), icons,
                        iconForFileName(name), shownName);
        row += sizeCell(entry.size());
        row += QStringLiteral("<td>%1</td>\n").arg(formatedDateFromDate(entry.lastModified()));
        row += QStringLiteral("<td align=\"center\">&nbsp;\n");
        if (!downloadMode)
            row += QStringLiteral("<a class=\"bluelink\" href=\"%1?download=yes\">Download</a>&nbsp;\n").arg(link);
        if (m_permissions & Delete)
            row += deleteLink(link);
    }
    row += QStringLiteral("&nbsp;</td>\n</tr>\n");
    return row;
}

QString HttpFTPages::createBrowseableIndex(const QString &folder, const QString &relative) const
{
    const QString header = readTemplate(QStringLiteral("ftheader.html"));
    if (header.isEmpty()) {
        DevLog::log(QStringLiteral("createBrowseableIndex missing ftheader"));
        return QStringLiteral("Error - missing main template");
    }

    QString rows;
    int folders = 0;
    int files = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        // A link that leads out of the served folder is no way out.
        if (entry.isSymLink() && !DocumentPaths::staysWithin(folder, entry.filePath()))
            continue;
        bool isFolder = false;
        rows += folderRow(entry, relative, &isFolder);
        ++(isFolder ? folders : files);
    }

    QString page = fillTemplate(header, {
        {QStringLiteral("[[[RELPATH]]]"), escaped(m_relativePath)},
        {QStringLiteral("[[[TITLE]]]"), escaped(DeviceFacts::applicationName())},
        {QStringLiteral("[[[DEVICE]]]"), escaped(DeviceFacts::model())},
        {QStringLiteral("[[[FIRMWARE]]]"), escaped(DeviceFacts::systemVersion())},
        {QStringLiteral("[[[VERSION]]]"), escaped(DeviceFacts::applicationVersion())},
        {QStringLiteral("[[[CURFOLDER]]]"), folderHeading(relative)},
        {QStringLiteral("[[[CURFOLDERSTATS]]]"), QStringLiteral("%1 folders, %2 files").arg(folders).arg(files)},
    });
    page += rows;
    page += QStringLiteral("</tbody></table>\n");
    page += (m_permissions & DownloadMode)
                ? QStringLiteral("<br><p>Click on a filename to download it.\n")
                : QStringLiteral("<br><p>To download a file click on a filename with the right mouse button or click the download button.\n");
    page += QStringLiteral("</div>\n");

    const QList<QPair<QString, QString>> currentPath{{QStringLiteral("[[[CURPATH]]]"), escaped(relative)}};
    if (m_permissions & Upload) {
        const QString form = readTemplate(QStringLiteral("ftupload.html"));
        if (form.isEmpty())
            DevLog::log(QStringLiteral("createBrowseableIndex missing upload"));
        page += fillTemplate(form, currentPath);
    }
    if (m_permissions & MakeFolder) {
        const QString form = readTemplate(QStringLiteral("ftmkdir.html"));
        if (form.isEmpty())
            DevLog::log(QStringLiteral("createBrowseableIndex missing mkdir"));
        page += fillTemplate(form, currentPath);
    }
    page += readTemplate(QStringLiteral("ftfootermessage.html"));
    const QString footer = readTemplate(QStringLiteral("ftfooter.html"));
    if (footer.isEmpty())
        DevLog::log(QStringLiteral("createBrowseableIndex missing footer"));
    page += fillTemplate(footer, {{QStringLiteral("[[[DATE]]]"),
                                   QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000"))}});
    return page;
}

QString HttpFTPages::createResultResponse(const QString &message, const QString &relative) const
{
    const QString page = readTemplate(QStringLiteral("ftresult.html"));
    if (page.isEmpty()) {
        DevLog::log(QStringLiteral("createResultResponse missing ftresult"));
        return QStringLiteral("Error - missing result template");
    }
    return fillTemplate(page, {
        {QStringLiteral("[[[TITLE]]]"), escaped(DeviceFacts::applicationName())},
        {QStringLiteral("[[[RESULT]]]"), escaped(message)},
        {QStringLiteral("[[[RELPATH]]]"), escaped(m_relativePath)},
        // The template links back with it.
        {QStringLiteral("[[[CURPATH]]]"), encodedPath(relative.isEmpty() ? QStringLiteral("/") : relative)},
    });
}

QString HttpFTPages::upnpDescription(const QString &addressAndPort) const
{
    const QString description = readTemplate(QStringLiteral("upnp.xml"));
    if (description.isEmpty())
        return QString();
    return fillTemplate(description, {
        {QStringLiteral("%%TITLE%%"), escaped(DeviceFacts::applicationName())},
        {QStringLiteral("%%DEVICENAME%%"), escaped(DeviceFacts::deviceName())},
        {QStringLiteral("%%VERSION%%"), escaped(DeviceFacts::applicationVersion())},
        {QStringLiteral("%%UUID%%"), escaped(DeviceFacts::uniqueIdentifier())},
        {QStringLiteral("%%IPADDRANDPORT%%"), escaped(addressAndPort)},
    });
}
