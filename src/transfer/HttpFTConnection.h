#pragma once

#include "HTTPConnection.h"
#include "HttpFTPages.h"
#include "MultipartParser.h"
#include "UploadFile.h"

#include <memory>
#include <optional>



// The web file manager of the documents folder: folder pages, downloads, uploads through a
// multipart form, new folders and deletion, as the server's PERMISSIONS allow, plus the
// resources of its pages and a UPnP device description. Every action is reported through the
// server's trace(). Uploads and new folders never land outside the upload folder.
class HttpFTConnection : public HTTPConnection, private MultipartParser::Sink {
    Q_OBJECT
public:
    HttpFTConnection(QTcpSocket *socket, HTTPServer *server);
    ~HttpFTConnection() override;

    // Whether a request comes from the program's own upload client (its User-Agent begins
    // with "Vennaro"); it gets a result page after an upload instead of a folder page.
    static bool isOwnClient(const HttpRequestHead &request);
    // The name an upload is stored under: the part after the last "\" or "/".
    static QString lastNameComponent(const QString &fileName);

protected:
    bool supportsMethod(const QString &method, const QString &path) override;
    std::unique_ptr<HTTPResponse> httpResponseForRequest(const HttpRequestHead &request) override;
    void prepareForBodyWithSize(quint64 size) override;
    void processDataChunk(QByteArrayView data) override;

private:
    enum class PostType { Upload, MakeFolder, Refused };

    // MultipartParser::Sink
    void field(const QString &name, const QByteArray &value) override;
    bool fileBegins(const QString &name, const QString &fileName) override;
    void fileData(QByteArrayView bytes) override;
    void fileEnds() override;

    std::unique_ptr<HTTPResponse> answerPost(const HttpRequestHead &request);
    std::unique_ptr<HTTPResponse> finishUpload(const HttpRequestHead &request);
    std::unique_ptr<HTTPResponse> finishMakeFolder();
    std::unique_ptr<HTTPResponse> answerResource(const QString &path);
    std::unique_ptr<HTTPResponse> answerDelete(const QString &path);
    std::unique_ptr<HTTPResponse> answerDownload(const QString &path);
    std::unique_ptr<HTTPResponse> answerPath(const QString &path);
    std::unique_ptr<HTTPResponse> folderPage(const QString &relative);
    std::unique_ptr<HTTPResponse> resultPage(const QString &message, const QString &relative);
    HttpFTPages pages() const;
    void trace(const QString &line);
    void resetPost();

    PostType m_postType = PostType::Refused;
    MultipartParser m_parser;
    std::optional<QString> m_currentPath;
    std::optional<QString> m_folderName;
    QString m_fileName;
    std::unique_ptr<UploadFile> m_upload;
    bool m_fileComplete = false;
    bool m_pathRefused = false;
    bool m_writeFailed = false;
};
