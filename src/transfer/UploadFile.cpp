#include "UploadFile.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

UploadFile::UploadFile(const QString &folder, const QString &fileName)
    : m_finalPath(QDir(folder).filePath(fileName)),
      m_temporary(QDir(folder).filePath(QStringLiteral(".upload-XXXXXX.part")))
{
    (void)m_temporary.open();
}

UploadFile::~UploadFile() = default;

bool UploadFile::write(QByteArrayView bytes)
{
    return m_temporary.write(bytes.data(), bytes.size()) == bytes.size();
}

Result<void> UploadFile::commit()
{
    if (!m_temporary.flush())
        return Error{m_temporary.errorString()};
    // Temporary files are private; the stored file gets the usual rights of a document.
    m_temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                               | QFileDevice::ReadOther);
    // rename(2) replaces the final entry itself (even a symbolic link) in one step.
    const QByteArray from = QFile::encodeName(m_temporary.fileName());
    const QByteArray to = QFile::encodeName(m_finalPath);
    if (std::rename(from.constData(), to.constData()) != 0)
        return Error{QString::fromLocal8Bit(std::strerror(errno))};
    m_temporary.setAutoRemove(false);
    m_temporary.close();
    return {};
}
