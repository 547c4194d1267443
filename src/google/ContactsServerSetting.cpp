#include "ContactsServerSetting.h"

#include "platform/DevLog.h"
#include "platform/PropertyList.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QFile>
#include <QVariantMap>

namespace {

// Where earlier versions kept the address, in the documents folder.
const QString kOldFile = QStringLiteral("ContactsAccount.plist");

void takeOverOldFile()
{
    QFile file(Documents::filePath(kOldFile));
    if (!file.open(QIODevice::ReadOnly))
        return;
    Result<QVariant> root = PropertyList::read(file.readAll());
    file.close();
    const QString server = root ? root->toMap().value(QStringLiteral("ContactsServer")).toString() : QString();
    if (!server.isEmpty() && !ContactsServerSetting::save(server))
        return DevLog::log(QStringLiteral("contacts server: settings not written, %1 kept").arg(kOldFile));
    file.remove();
}

} // namespace

QString ContactsServerSetting::load()
{
    if (AppData::sharedInstance().contactsServer().isEmpty())
        takeOverOldFile();
    return AppData::sharedInstance().contactsServer();
}

bool ContactsServerSetting::save(const QString &server)
{
    AppData::sharedInstance().setContactsServer(server);
    return AppData::sharedInstance().saveSettings();
}
