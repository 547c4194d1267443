#include "FakeMailComposer.h"

#include <QFile>

FakeMailComposer::FakeMailComposer(bool installed, int exitCode) : m_previousPath(qgetenv("PATH"))
{
    if (installed) {
        QFile script(m_dir.filePath(QStringLiteral("xdg-email")));
        if (script.open(QIODevice::WriteOnly)) {
            script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"${0%/*}/arguments\"\nexit "
                         + QByteArray::number(exitCode) + "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    qputenv("PATH", m_dir.path().toLocal8Bit());
}

FakeMailComposer::~FakeMailComposer()
{
    qputenv("PATH", m_previousPath);
}

QStringList FakeMailComposer::arguments() const
{
    QFile file(m_dir.filePath(QStringLiteral("arguments")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList list = QString::fromUtf8(file.readAll()).split(QChar(u'\0'));
    list.removeLast(); // after the last terminator
    return list;
}
