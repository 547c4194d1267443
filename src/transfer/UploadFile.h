#pragma once

#include "platform/Result.h"

#include <QString>
#include <QTemporaryFile>

// A file being received: written to a temporary file in its final folder (one without a name
// where the system allows), and put in place (replacing what had that name) only by commit().
// Anything not committed is removed, so an interrupted upload never harms an existing file.
class UploadFile {
public:
    // Opens the temporary file in `folder`; check isOpen().
    UploadFile(const QString &folder, const QString &fileName);
    ~UploadFile();

    bool isOpen() const { return m_temporary.isOpen(); }
    const QString &finalPath() const { return m_finalPath; }
    // False when the bytes could not all be written (the disk is full, for example).
    bool write(QByteArrayView bytes);
    Result<void> commit();

private:
    QString m_finalPath;
    QTemporaryFile m_temporary;
};
