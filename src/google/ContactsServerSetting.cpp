#include "ContactsServerSetting.h"

#include "platform/PropertyList.h"
#include "shell/Documents.h"

#include <QFile>
#include <QSaveFile>
#include <QVariantMap>

namespace {
const QString kFile = QStringLiteral("ContactsAccount.plist");
const QString kServerKey = QStringLiteral("ContactsServer");
}

QString ContactsServerSetting::load()
{
    QFile file(Documents::filePath(kFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Result<QVariant> root = PropertyList::read(file.readAll());
    return root ? root->toMap().value(kServerKey).toString() : QString();
}

bool ContactsServerSetting::save(const QString &server)
{
    QSaveFile file(Documents::filePath(kFile));
    const QByteArray bytes = PropertyList::writeXml(QVariantMap{{kServerKey, server}});
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
