#include "GoldenFile.h"

#include "TestEnvironment.h"

#include <QFile>
#include <QList>

QString GoldenFile::compare(const QByteArray &actual, const QString &name)
{
    QFile file(TestEnvironment::dataPath(name));
    if (qEnvironmentVariableIntValue("VENNARO_WRITE_GOLDEN") == 1) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write %1").arg(file.fileName());
        file.write(actual);
        return QString();
    }
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("missing golden file %1").arg(file.fileName());
    const QByteArray expected = file.readAll();
    if (expected == actual)
        return QString();
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    for (qsizetype i = 0; i < qMax(want.size(), got.size()); ++i) {
        if (want.value(i) != got.value(i))
            return QStringLiteral("%1 line %2:\n expected: %3\n actual:   %4")
                .arg(name)
                .arg(i + 1)
                .arg(QString::fromLatin1(want.value(i).toPercentEncoding(" ;:=,./-@<>&\"'!?()*+")),
                     QString::fromLatin1(got.value(i).toPercentEncoding(" ;:=,./-@<>&\"'!?()*+")));
    }
    return QStringLiteral("%1 differs").arg(name);
}
