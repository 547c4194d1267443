#include "HttpFTConnection.h"

#include "DocumentPaths.h"
#include "HTTPDataResponse.h"
#include "HTTPFileResponse.h"
#include "HTTPServer.h"
#include "platform/DevLog.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace {

const QString kInvalidPath = QStringLiteral("Error invalid path.");

// "attachment; filename=…" with a name no header can be broken by: quotes, backslashes,
// control and non-ASCII characters become "_" there, and the real name follows as UTF-8
// (RFC 6266) when it differs.
QString attachmentDisposition(const QString &name, bool quoted)
{
    QString plain;
    for (QChar c : name)
        plain += (c.unicode() < 0x20 || c.unicode() >= 0x7f || c == QLatin1Char('"') || c == QLatin1Char('\\')) ? QLatin1Char('_') : c;
    QString disposition = quoted ? QStringLiteral("attachment; filename=\"%1\"").arg(plain)
                                 : QStringLiteral("attachment; filename=%1").arg(plain);
    if (plain != name)
        disposition += QStringLiteral("; filename*=UTF-8''") + QString::fromLatin1(QUrl::toPercentEncoding(name));
    return disposition;
}

std::unique_ptr<HTTPResponse> pageResponse(const QString &page)
{
    return std::make_unique<HTTPDataResponse>(page.toUtf8());
}

QString normalisedRelative(const QString &relative)
{
    return QDir::cleanPath(QLatin1Char('/') + relative);
}

} // namespace

HttpFTConnection::HttpFTConnection(QTcpSocket *socket, HTTPServer *server) : HTTPConnection(socket, server)
{
}

HttpFTConnection::~HttpFTConnection() = default;

bool HttpFTConnection::isOwnClient(const HttpRequestHead &request)
{
    for (const auto &[name, value] : request.fields) {
        if (QByteArrayView(name).compare("User-Agent", Qt::CaseInsensitive) == 0 && value.startsWith("Vennaro"))
            return true;
    }
    return false;
}

QString HttpFTConnection::lastNameComponent(const QString &fileName)
{
    const qsizetype cut = std::max(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char('/')));
    return fileName.mid(cut + 1);
}

bool HttpFTConnection::supportsMethod(const QString &method, const QString &path)
{
    if (method != QLatin1String("POST"))
        return HTTPConnection::supportsMethod(method, path);
    resetPost();
    if (path == QLatin1String("/filepost"))
        m_postType = PostType::Upload;
    else if (path == QLatin1String("/makefolder"))
        m_postType = PostType::MakeFolder;
    return m_postType != PostType::Refused;
}

void HttpFTConnection::resetPost()
{
    m_postType = PostType::Refused;
    m_parser = MultipartParser();
    m_currentPath.reset();
    m_folderName.reset();
    m_fileName.clear();
    m_upload.reset();
    m_fileComplete = m_pathRefused = m_writeFailed = false;
}

void HttpFTConnection::prepareForBodyWithSize(quint64)
{
}

void HttpFTConnection::processDataChunk(QByteArrayView data)
{
    m_parser.feed(data, *this);
}

void HttpFTConnection::field(const QString &name, const QByteArray &value)
{
    if (name == QLatin1String("currentpath") && !m_currentPath)
        m_currentPath = QString::fromUtf8(value);
    else if (name == QLatin1String("thefolder") && !m_folderName)
        m_folderName = QString::fromUtf8(value);
}

bool HttpFTConnection::fileBegins(const QString &, const QString &fileName)
{
    if (m_postType != PostType::Upload || !m_fileName.isEmpty() || m_pathRefused || !m_currentPath)
        return false;
    m_fileName = lastNameComponent(fileName);
    if (m_fileName.isEmpty())
        return false;
    const std::optional<QString> folder = DocumentPaths::isPlainRelativePath(*m_currentPath)
                                              ? DocumentPaths::within(server()->uploadPath(), *m_currentPath)
                                              : std::nullopt;
    if (!folder || !QFileInfo(*folder).isDir() || m_fileName == QLatin1String(".") || m_fileName == QLatin1String("..")
        || m_fileName.contains(QChar(QChar::Null))) {
        m_pathRefused = true;
        return false;
    }
    m_upload = std::make_unique<UploadFile>(*folder, m_fileName);
    if (!m_upload->isOpen()) {
        m_upload.reset();
        m_writeFailed = true;
        return false;
    }
    return true;
}

void HttpFTConnection::fileData(QByteArrayView bytes)
{
    if (m_upload && !m_upload->write(bytes)) {
        m_upload.reset();
        m_writeFailed = true;
    }
}

void HttpFTConnection::fileEnds()
{
    m_fileComplete = m_upload != nullptr;
}

HttpFTPages HttpFTConnection::pages() const
{
    return HttpFTPages(server()->resourceFolder(), server()->relativePath(), server()->PERMISSIONS());
}

void HttpFTConnection::trace(const QString &line)
{
    server()->postTrace(line);
}

std::unique_ptr<HTTPResponse> HttpFTConnection::folderPage(const QString &relative)
{
    const std::optional<QString> folder = DocumentPaths::within(server()->documentRoot(), relative);
    return pageResponse(pages().createBrowseableIndex(folder.value_or(QString()), relative));
}

std::unique_ptr<HTTPResponse> HttpFTConnection::resultPage(const QString &message, const QString &relative)
{
    return pageResponse(pages().createResultResponse(message, relative));
}

std::unique_ptr<HTTPResponse> HttpFTConnection::httpResponseForRequest(const HttpRequestHead &request)
{
    const QString method = QString::fromLatin1(request.method);
    const QString path = request.path();
    if (DevLog::isEnabled()) {
        QStringList fields;
        for (const auto &[name, value] : request.fields)
            fields += QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(value);
        DevLog::log(QStringLiteral(">> httpResponseForMethod %1 %2 %3").arg(method, request.uri(), fields.join(QStringLiteral(", "))));
    }

    if (request.uri() == QLatin1String("/upnp.xml")) {
        const QString description = pages().upnpDescription(localAddressAndPort());
        if (description.isEmpty()) {
            DevLog::log(QStringLiteral("Error loading: %1/upnp.xml").arg(server()->resourceFolder()));
            return nullptr;
        }
        return pageResponse(description);
    }
    if (method == QLatin1String("POST"))
        return answerPost(request);
    if (path.startsWith(QLatin1Char('/') + server()->relativePath() + QLatin1Char('/')))
        return answerResource(path);
    if (request.query() == QLatin1String("delete=yes"))
        return answerDelete(path);
    if (request.query() == QLatin1String("download=yes"))
        return answerDownload(path);
    return answerPath(path);
}

std::unique_ptr<HTTPResponse> HttpFTConnection::answerPost(const HttpRequestHead &request)
{
    std::unique_ptr<HTTPResponse> answer;
    if (requestContentLength() > 0 && m_parser.state() == MultipartParser::State::Complete) {
        if (m_postType == PostType::Upload)
            answer = finishUpload(request);
        else if (m_postType == PostType::MakeFolder)
            answer = finishMakeFolder();
    } else if (m_pathRefused) {
        answer = resultPage(kInvalidPath, QStringLiteral("/"));
    }
    resetPost();
    return answer;
}

std::unique_ptr<HTTPResponse> HttpFTConnection::finishUpload(const HttpRequestHead &request)
{
    if (m_pathRefused)
        return resultPage(kInvalidPath, QStringLiteral("/"));
    if (m_writeFailed)
        return resultPage(QStringLiteral("Error saving file: %1").arg(m_fileName), normalisedRelative(m_currentPath.value_or(QString())));
    if (!m_upload || !m_fileComplete)
        return nullptr;
    const Result<void> stored = m_upload->commit();
    const QString relative = normalisedRelative(*m_currentPath);
    if (!stored) {
        DevLog::log(QStringLiteral("finishUpload %1: %2").arg(m_upload->finalPath(), stored.error()));
        return resultPage(QStringLiteral("Error saving file: %1").arg(m_fileName), relative);
    }
    trace(QStringLiteral("Upload /%1").arg(m_fileName));
    if (isOwnClient(request))
        return resultPage(QStringLiteral("File upload has been completed."), *m_currentPath);
    return folderPage(relative);
}

std::unique_ptr<HTTPResponse> HttpFTConnection::finishMakeFolder()
{
    if (!m_currentPath || !m_folderName)
        return nullptr;
    const QString current = *m_currentPath;
    const QString name = *m_folderName;
    const QString target = current == QLatin1String("/") ? name : current + QLatin1Char('/') + name;
    const QString parent = DocumentPaths::parentOf(target);
    trace(QStringLiteral("Mkdir %1").arg(target));
    if (name.trimmed().isEmpty() || !DocumentPaths::isPlainRelativePath(current) || !DocumentPaths::isPlainRelativePath(name))
        return resultPage(kInvalidPath, QStringLiteral("/"));
    const std::optional<QString> folder = filePathForURI(target);
    if (!folder || !QDir().mkpath(*folder))
        return resultPage(QStringLiteral("Error creating folder: %1").arg(target), parent);
    return folderPage(parent);
}

std::unique_ptr<HTTPResponse> HttpFTConnection::answerResource(const QString &path)
{
    const QString folder = server()->resourceFolder();
    const QString file = QDir::cleanPath(server()->resourceBase() + path);
    if (!file.startsWith(folder + QLatin1Char('/')))
        return nullptr;
    return std::make_unique<HTTPFileResponse>(file);
}

std::unique_ptr<HTTPResponse> HttpFTConnection::answerDelete(const QString &path)
{
    const QString parent = DocumentPaths::parentOf(path);
    trace(QStringLiteral("Delete %1").arg(path));
    const std::optional<QString> target = filePathForURI(path);
    std::error_code error;
    // remove_all never follows a symbolic link: a link is removed, not what it points to.
    if (!target || *target == QDir::cleanPath(server()->documentRoot())
        || std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(*target).toStdString()), error) == 0 || error)
        return resultPage(QStringLiteral("Error deleting file: %1").arg(path), parent);
    return folderPage(parent);
}

std::unique_ptr<HTTPResponse> HttpFTConnection::answerDownload(const QString &path)
{
    const std::optional<QString> target = filePathForURI(path);
    if (!target || !QFileInfo(*target).isFile()) {
        DevLog::log(QStringLiteral("answerDownload file not found %1").arg(target.value_or(path)));
        return nullptr;
    }
    trace(QStringLiteral("Download %1").arg(path));
    auto response = std::make_unique<HTTPFileResponse>(*target);
    response->setDisposition(attachmentDisposition(QFileInfo(*target).fileName(), true));
    return response;
}

std::unique_ptr<HTTPResponse> HttpFTConnection::answerPath(const QString &path)
{
    const std::optional<QString> file = filePathForURI(path);
    if (file && QFileInfo(*file).isFile()) {
        const bool downloadMode = server()->PERMISSIONS() & HttpFTPages::DownloadMode;
        auto response = std::make_unique<HTTPFileResponse>(*file);
        if (downloadMode)
            response->setDisposition(attachmentDisposition(QFileInfo(*file).fileName(), false));
        trace(QStringLiteral("%1 %2").arg(downloadMode ? QStringLiteral("Download") : QStringLiteral("Get"), path));
        return response;
    }
    const QString relative = normalisedRelative(path);
    const std::optional<QString> folder = DocumentPaths::within(server()->documentRoot(), relative);
    if (folder && QFileInfo(*folder).isDir()) {
        trace(QStringLiteral("Get %1").arg(path));
        return folderPage(relative);
    }
    trace(QStringLiteral("Error %1").arg(path));
    return resultPage(kInvalidPath, QStringLiteral("/"));
}
