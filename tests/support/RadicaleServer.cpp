#include "RadicaleServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

RadicaleServer::RadicaleServer(int maxContentLength)
{
    const QString root = m_dir.path();
    const QString store = root + QStringLiteral("/store");
    QByteArray config = "[server]\nhosts = 127.0.0.1:0\n";
    if (maxContentLength > 0)
        config += "max_content_length = " + QByteArray::number(maxContentLength) + "\n";
    config += "[auth]\ntype = htpasswd\nhtpasswd_filename = " + root.toUtf8() + "/users\nhtpasswd_encryption = plain\n"
              "[storage]\nfilesystem_folder = " + store.toUtf8() + "\n[logging]\nlevel = info\n";
    // The book exists before start-up: Radicale reads its properties file.
    const bool written = writeFile(root + QStringLiteral("/config"), config)
                         && writeFile(root + QStringLiteral("/users"), QByteArray(kUser) + ':' + kPassword + '\n')
                         && writeFile(store + QStringLiteral("/collection-root/alice/vennaro/.Radicale.props"),
                                      R"({"tag": "VADDRESSBOOK", "D:displayname": "Vennaro"})");
    if (!written) {
        m_error = QStringLiteral("cannot write the server's files in %1").arg(root);
        return;
    }
    // -C replaces the host's configuration search path: nothing of the machine's set-up applies.
    m_process.setProgram(QStringLiteral("radicale"));
    m_process.setArguments({QStringLiteral("-C"), root + QStringLiteral("/config")});
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("radicale does not start: %1").arg(m_process.errorString());
        return;
    }
    static const QRegularExpression listening(QStringLiteral(R"(Listening on '\[127\.0\.0\.1\]:(\d+)')"));
    QByteArray log;
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(200);
        log += m_process.readAll();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(log));
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            return;
        }
    }
    m_error = QStringLiteral("radicale did not start listening: %1").arg(QString::fromUtf8(log));
}

RadicaleServer::~RadicaleServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QUrl RadicaleServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

QUrl RadicaleServer::bookUrl() const
{
    return baseUrl().resolved(QUrl(QStringLiteral("/alice/vennaro/")));
}

QList<QByteArray> RadicaleServer::storedCards() const
{
    QList<QByteArray> cards;
    QDir book(m_dir.path() + QStringLiteral("/store/collection-root/alice/vennaro"));
    for (const QString &name : book.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name)) {
        QFile file(book.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            cards.append(file.readAll());
    }
    return cards;
}
