#include "SavedFormatMasks.h"

#include "platform/DevLog.h"
#include "platform/PropertyList.h"
#include "shell/Documents.h"

#include <QFile>
#include <QSaveFile>

namespace {
QString keyOf(size_t index)
{
    return QStringLiteral("FormatMask%1").arg(index + 1);
}
}

QString SavedFormatMasks::path()
{
    return Documents::filePath(QStringLiteral("FormatMasks.plist"));
}

FormatMasks SavedFormatMasks::load()
{
    QFile file(path());
    Result<QVariant> root = file.open(QIODevice::ReadOnly) ? PropertyList::read(file.readAll()) : Error{file.errorString()};
    if (!root || root->metaType().id() != QMetaType::QVariantMap) {
        DevLog::log(QStringLiteral("FILE NOT FOUND %1").arg(path()));
        return FormatMasks::defaults();
    }
    const QVariantMap values = root->toMap();
    FormatMasks masks;
    for (size_t index = 0; index < masks.masks.size(); ++index)
        masks.masks[index] = values.value(keyOf(index)).toString();
    return masks;
}

bool SavedFormatMasks::save(const FormatMasks &masks)
{
    QVariantMap values;
    for (size_t index = 0; index < masks.masks.size(); ++index) {
        if (!masks.masks[index].isEmpty())
            values.insert(keyOf(index), masks.masks[index]);
    }
    QSaveFile file(path());
    const QByteArray bytes = PropertyList::writeXml(values);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    DevLog::log(QStringLiteral("FormatMasks.plist: %1").arg(file.errorString()));
    return false;
}
