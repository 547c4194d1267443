#include "platform/Localization.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QtTest>

// Every text key the code looks up is in both tables; a missing one would show as a bare key.
class StringsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyUsedKeyIsInBothTables()
    {
        const QString sources = QDir(qEnvironmentVariable("VENNARO_TEST_DATA") + QStringLiteral("/../../src")).absolutePath();
        QVERIFY2(QDir(sources).exists(), qPrintable(sources));
        const QRegularExpression use(QStringLiteral("\\bL\\(\\s*\"(K[^\"]*)\"\\s*\\)"));
        QMap<QString, QString> used; // key -> a file using it
        QDirIterator it(sources, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (const auto &match : use.globalMatch(text))
                used.insert(match.captured(1), QDir(sources).relativeFilePath(path));
        }
        QVERIFY(used.size() > 40);
        for (const QString &language : {QStringLiteral("en"), QStringLiteral("pt")}) {
            const QStringList keys = Localization::keys(language);
            QStringList missing;
            for (auto entry = used.begin(); entry != used.end(); ++entry) {
                if (!keys.contains(entry.key()))
                    missing.append(entry.key() + QStringLiteral(" (") + entry.value() + QLatin1Char(')'));
            }
            QVERIFY2(missing.isEmpty(), qPrintable(language + QStringLiteral(" lacks: ") + missing.join(QStringLiteral(", "))));
        }
    }

    void portugueseTableIsComplete()
    {
        QStringList missing;
        const QStringList portuguese = Localization::keys(QStringLiteral("pt"));
        for (const QString &key : Localization::keys(QStringLiteral("en"))) {
            if (!portuguese.contains(key))
                missing.append(key);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }
};

QTEST_GUILESS_MAIN(StringsTest)
#include "strings_test.moc"
