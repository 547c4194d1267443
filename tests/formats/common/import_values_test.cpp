// Values as the readers take them from files.

#include "formats/common/ImportValues.h"

#include <QTest>

class ImportValuesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longTextsDecodeAsAWhole()
    {
        // Long enough to be decoded in two halves, with characters of one to four bytes.
        QString mixed;
        const QString pieces[] = {QStringLiteral("ascii text, "), QStringLiteral("ação "), QStringLiteral("日本語 "),
                                  QStringLiteral("\U0001F600 "), QStringLiteral("\n")};
        for (int i = 0; mixed.size() < 3'000'000; ++i)
            mixed += pieces[(i * 7 + i / 3) % 5];
        const QByteArray utf8 = mixed.toUtf8();
        QVERIFY(utf8.size() > 4 << 20);
        QCOMPARE(ImportValues::decodeText(utf8, 0), std::optional<QString>(mixed));
        // A byte-order mark at the start is dropped; a no-break space at the cut is text.
        QCOMPARE(ImportValues::decodeText("\xEF\xBB\xBF" + utf8, 0), std::optional<QString>(mixed));
        const QByteArray atCut = QByteArray(2 << 20, 'a') + "\xEF\xBB\xBF" + QByteArray((2 << 20) - 3, 'b');
        QCOMPARE(ImportValues::decodeText(atCut, 0), std::optional<QString>(QString::fromUtf8(atCut)));
        QCOMPARE(ImportValues::decodeText(atCut, 0)->at(2 << 20), QChar(0xFEFF));
        // A byte that is no UTF-8 in either half.
        for (qsizetype at : {qsizetype(10), utf8.size() - 10}) {
            QByteArray broken = utf8;
            broken[at] = '\xFF';
            QVERIFY(!ImportValues::decodeText(broken, 0));
        }
        // ISO 8859-1 reads every byte.
        QCOMPARE(ImportValues::decodeText(utf8, 1), std::optional<QString>(QString::fromLatin1(utf8)));
    }

    void daysReadAsQtsParserReadsThem()
    {
        // The direct reading of plain digits must give what Qt's parser gives, for every text.
        const char *const dashed[] = {"2024-02-29", "2023-02-29", "1980-05-17", "0001-01-01", "0000-01-01", "9999-12-31",
                                      "2024-13-01", "2024-00-10", "2024-01-00", "2024-01-32", "2024-1-05",  "2024-01-5",
                                      " 2024-01-05", "2024-01-05 ", "+024-01-05", "-024-01-05", "2024/01/05", "2024-0a-01",
                                      "abcd-ef-gh", "",           "2024-01-05x"};
        for (const char *text : dashed) {
            const QString value = QString::fromLatin1(text);
            QCOMPARE(ImportValues::dayFromText(value, true), QDate::fromString(value, QStringLiteral("yyyy-MM-dd")));
        }
        const char *const plain[] = {"20240229", "20230229", "00000101", "00010101", "20241301", "2024011",
                                     "202401011", "2024O101", "-0240105", "1980-517"};
        for (const char *text : plain) {
            const QString value = QString::fromLatin1(text);
            QCOMPARE(ImportValues::dayFromText(value, false), QDate::fromString(value, QStringLiteral("yyyyMMdd")));
        }
        // Non-ASCII digits are no digits.
        QCOMPARE(ImportValues::dayFromText(QStringLiteral("٢٠٢٤-٠١-٠٥"), true),
                 QDate::fromString(QStringLiteral("٢٠٢٤-٠١-٠٥"), QStringLiteral("yyyy-MM-dd")));
    }
};

QTEST_GUILESS_MAIN(ImportValuesTest)
#include "import_values_test.moc"
