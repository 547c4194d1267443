#include "formats/vcard/QuotedPrintable.h"
#include "formats/vcard/VCARDimport.h"
#include "formats/vcard/VCardLines.h"
#include "formats/vcard/VCardWriter.h"

#include "support/RecordingProgress.h"
#include "support/SampleContacts.h"
#include "support/BookQueries.h"
#include "support/TestEnvironment.h"

#include "addressbook/ABSources.h"
#include "shell/AppData.h"

#include <QFile>
#include <QImage>
#include <QTest>

using BookQueries::groupsOf;
using BookQueries::personNamed;

namespace {

QList<std::pair<QString, QString>> labelled(const ABRecord &person, ABPropertyID property)
{
    QList<std::pair<QString, QString>> list;
    const ABMultiValue values = person.copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : values.entries()) {
        const QVariantMap map = entry.value.toMap();
        QString value = map.isEmpty() ? entry.value.toString() : QString();
        for (auto it = map.begin(); it != map.end(); ++it)
            value += it.key() + QLatin1Char('=') + it.value().toString() + QLatin1Char('|');
        list.append({entry.label.value_or(QStringLiteral("(none)")), value});
    }
    return list;
}

using Pairs = QList<std::pair<QString, QString>>;



void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class VCardReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unfolding()
    {
        const QString text = QStringLiteral("A:1\n"
                                            " 2\n"
                                            "\n"
                                            "B;ENCODING=QUOTED-PRINTABLE:x=\n"
                                            " y=\n"
                                            "z\n"
                                            "C:a\\, b\\\n"
                                            "next line\\, raw\n"
                                            "D:two\\\\\n"
                                            "E:end");
        auto lines = [](const QString &text, qsizetype maxChars) -> std::optional<QStringList> {
            const std::optional<VCardLines::LineTable> table = VCardLines::logicalLines(text.toUtf8(), maxChars);
            if (!table)
                return std::nullopt;
            QStringList list;
            for (qsizetype i = 0; i < table->size(); ++i)
                list.append(QString::fromUtf8(table->at(i)));
            return list;
        };
        QCOMPARE(lines(text, 100),
                 (std::optional<QStringList>{{QStringLiteral("A:12"), QStringLiteral("B;ENCODING=QUOTED-PRINTABLE:xyz"),
                              QStringLiteral("C:a, b\nnext line\\, raw"), QStringLiteral("D:two\\\\"),
                              QStringLiteral("E:end")}}));
        QCOMPARE(lines(text, 30), std::nullopt);
        // A backslash at the very end takes the empty text after the last LF; a fold at the
        // start has no line to continue and starts one.
        QCOMPARE(lines(QStringLiteral("X:a\\\n"), 100), (std::optional<QStringList>{{QStringLiteral("X:a\n")}}));
        QCOMPARE(lines(QStringLiteral(" F:1\n\\,"), 100), (std::optional<QStringList>{{QStringLiteral(" F:1"), QStringLiteral(",")}}));
        QCOMPARE(lines(QString(), 100), (std::optional<QStringList>{QStringList()}));
        // Several escaped commas in a line, one after an escaped backslash, one at the end.
        QCOMPARE(lines(QStringLiteral("G:\\\\,x\\,y\\,\nH:a\\b\\,"), 100),
                 (std::optional<QStringList>{{QStringLiteral("G:\\,x,y,"), QStringLiteral("H:a\\b,")}}));
    }

    void quotedPrintableDecoding_data()
    {
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("escapes, either case") << QByteArray("a=3Db=c3=A9") << QByteArray("a=b\xc3\xa9");
        QTest::newRow("soft break") << QByteArray("ab=\ncd") << QByteArray("abcd");
        QTest::newRow("short escape at the end") << QByteArray("ab=4") << QByteArray("ab=4");
        QTest::newRow("not hexadecimal") << QByteArray("=ZZ=") << QByteArray("=ZZ=");
    }

    void quotedPrintableDecoding()
    {
        QFETCH(QByteArray, encoded);
        QFETCH(QByteArray, decoded);
        QCOMPARE(QuotedPrintable::decode(encoded), decoded);
    }

    void roundTripKeepsWhatTheReaderUnderstands()
    {
        QByteArray file;
        {
            TestEnvironment source;
            EntryList rows = SampleContacts::fill(*source.open());
            const QString base = source.documents() + QStringLiteral("/all");
            QCOMPARE(VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, 0, true, nullptr), 4);
            QFile written(base + QStringLiteral(".vcf"));
            QVERIFY(written.open(QIODevice::ReadOnly));
            file = written.readAll();
        }
        TestEnvironment env;
        const QString path = env.documents() + QStringLiteral("/all.vcf");
        writeFile(path, file);
        RecordingProgress progress;
        QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default, 0, &progress), 4);
        QCOMPARE(progress.values, (QList<double>{0.25, 0.5, 0.75, 1.0}));
        QCOMPARE(progress.saves, 1);

        ABAddressBookRef book = env.open();
        QCOMPARE(book->personCount(), 4);
        ABRecordRef ana = personNamed(*book, QStringLiteral("Marques"));
        QVERIFY(ana);
        QCOMPARE(ana->copyText(kABPersonFirstNameProperty), QStringLiteral("Ana"));
        QCOMPARE(ana->copyText(kABPersonMiddleNameProperty), QStringLiteral("Sofia"));
        QCOMPARE(ana->copyText(kABPersonNicknameProperty), QStringLiteral("Aninhas"));
        QCOMPARE(ana->copyText(kABPersonOrganizationProperty), QStringLiteral("Marques & Filhos <Lda>"));
        QCOMPARE(ana->copyText(kABPersonDepartmentProperty), QStringLiteral("Vendas"));
        QCOMPARE(ana->copyText(kABPersonJobTitleProperty), QStringLiteral("Diretora"));
        QCOMPARE(ana->copyValue(kABPersonBirthdayProperty).toDateTime().date(), QDate(1980, 5, 17));
        // Every LF comes back as CR LF (and a CR LF as CR CR LF).
        QCOMPARE(ana->copyText(kABPersonNoteProperty),
                 QStringLiteral("Prefere café = chá \r\nSegunda linha\r\r\nTerceira\tlinha com um texto bastante "
                                "comprido para a quebra"));
        const QString home = kABHomeLabel, work = kABWorkLabel, other = kABOtherLabel;
        QCOMPARE(labelled(*ana, kABPersonPhoneProperty),
                 (Pairs{{home, QStringLiteral("+351 210 000 001")},
                        {kABPersonPhoneMobileLabel, QStringLiteral("+351 910 000 002")},
                        {kABPersonPhoneHomeFAXLabel, QStringLiteral("210 000 003")},
                        {kABPersonPhoneWorkFAXLabel, QStringLiteral("210 000 004")},
                        {kABPersonPhonePagerLabel, QStringLiteral("210 000 005")},
                        {work, QStringLiteral("210 000 006")},
                        {home, QStringLiteral("210 000 007")},
                        {work, QStringLiteral("210 000 008")},
                        {work, QStringLiteral("210 000 009")}}));
        QCOMPARE(labelled(*ana, kABPersonEmailProperty),
                 (Pairs{{work, QStringLiteral("ana@marques.example")}, {home, QStringLiteral("ana.home@example.org")},
                        {other, QStringLiteral("ana.other@example.net")},
                        {other, QStringLiteral("ana.nolabel@example.com")}}));
        QCOMPARE(labelled(*ana, kABPersonURLProperty),
                 (Pairs{{work, QStringLiteral("http://www.marques.example/?a=1&b=2")},
                        {home, QStringLiteral("https://ana.example.org")},
                        {home, QStringLiteral("http://ana.example.org/home")},
                        {other, QStringLiteral("http://blog.example.org")}}));
        QCOMPARE(labelled(*ana, kABPersonAddressProperty),
                 (Pairs{{home, QStringLiteral("City=Lisboa|Country=Portugal|Street=Rua das Flores 12 3.º esq.|ZIP=1200-195|")},
                        {work, QStringLiteral("City=Lisboa|State=Lisboa|Street=Avenida da Liberdade 1|")},
                        {other, QStringLiteral("City=Faro|")}}));
        QCOMPARE(labelled(*ana, kABPersonInstantMessageProperty),
                 (Pairs{{other, QStringLiteral("service=AIM|username=anaaim|")},
                        {other, QStringLiteral("service=MSN|username=ana@msn.example|")},
                        {other, QStringLiteral("service=Yahoo|username=anayahoo|")}}));
        const QImage photo = QImage::fromData(ana->copyImageData(), "PNG");
        QCOMPARE(photo.size(), QSize(6, 4));
        QCOMPARE(groupsOf(*book, ana), (QStringList{QStringLiteral("Família"), QStringLiteral("Work")}));

        ABRecordRef zofia = personNamed(*book, QStringLiteral("Novák"));
        QVERIFY(zofia);
        QCOMPARE(zofia->copyText(kABPersonFirstNameProperty), QStringLiteral("Žofia"));
        QCOMPARE(groupsOf(*book, zofia), QStringList{QStringLiteral("Work")});
        QCOMPARE(book->copyArrayOfAllGroups().size(), 2);
    }

    void markerAndFilter()
    {
        TestEnvironment env;
        const QString path = env.documents() + QStringLiteral("/m.vcf");
        writeFile(path, "BEGIN:VCARD\r\nN:;John\r\nTEL;CELL:123\r\nEMAIL:j@x\r\nX-GROUP:Friends\r\nEND:VCARD\r\n"
                        "BEGIN:VCARD\r\nN:Doe;Jane\r\nTEL:456\r\nEND:VCARD\r\n");
        QCOMPARE(VCARDimport::importFile(path, FieldFilter::Marker | FieldFilter::Phone, 0, nullptr), 2);
        ABAddressBookRef book = env.open();
        ABRecordRef john = personNamed(*book, QStringLiteral("(*)"));
        QVERIFY(john);
        QCOMPARE(john->copyText(kABPersonFirstNameProperty), QStringLiteral("John"));
        QCOMPARE(labelled(*john, kABPersonPhoneProperty), (Pairs{{kABPersonPhoneMobileLabel, QStringLiteral("123")}}));
        QVERIFY(john->copyMultiValue(kABPersonEmailProperty).isEmpty());
        QVERIFY(book->copyArrayOfAllGroups().isEmpty());
        QVERIFY(personNamed(*book, QStringLiteral("Doe (*)")));
    }

    void otherProgramsStyles()
    {
        TestEnvironment env;
        QCOMPARE(VCARDimport::importFile(TestEnvironment::dataPath(QStringLiteral("vcard/other_styles.vcf")),
                                         FieldFilter::Default, 0, nullptr),
                 3);
        ABAddressBookRef book = env.open();
        QCOMPARE(book->personCount(), 3);

        // vCard 3.0: TYPE= parameters, five-component N, BDAY with dashes, folded base64 photo.
        ABRecordRef apple = personNamed(*book, QStringLiteral("Appleseed"));
        QVERIFY(apple);
        QCOMPARE(apple->copyText(kABPersonFirstNameProperty), QStringLiteral("Johnny"));
        QCOMPARE(apple->copyValue(kABPersonBirthdayProperty).toDateTime().date(), QDate(1975, 12, 24));
        QCOMPARE(labelled(*apple, kABPersonPhoneProperty),
                 (Pairs{{kABPersonPhoneMobileLabel, QStringLiteral("+1 555 0100")},
                        {kABPersonPhoneWorkFAXLabel, QStringLiteral("+1 555 0101")},
                        {kABWorkLabel, QStringLiteral("+1 555 0102")}}));
        QCOMPARE(labelled(*apple, kABPersonEmailProperty), (Pairs{{kABHomeLabel, QStringLiteral("johnny@example.com")}}));
        QCOMPARE(labelled(*apple, kABPersonAddressProperty),
                 (Pairs{{kABWorkLabel, QStringLiteral("City=Cupertino|Country=USA|State=CA|Street=1 Infinite Loop|ZIP=95014|")}}));
        QCOMPARE(QImage::fromData(apple->copyImageData()).size(), QSize(6, 4));
        QCOMPARE(apple->copyText(kABPersonOrganizationProperty), QStringLiteral("Example, Inc."));

        // vCard 2.1 with quoted-printable names and a soft break that starts the next line.
        ABRecordRef android = personNamed(*book, QStringLiteral("Müller"));
        QVERIFY(android);
        QCOMPARE(android->copyText(kABPersonFirstNameProperty), QStringLiteral("Jürgen"));
        QCOMPARE(android->copyText(kABPersonNoteProperty),
                 QStringLiteral("Eine lange Notiz über mehrere Zeilen, die mit einem weichen Umbruch fortgesetzt wird."));
        QCOMPARE(labelled(*android, kABPersonInstantMessageProperty),
                 (Pairs{{kABOtherLabel, QStringLiteral("service=Jabber|username=juergen@jabber.example|")}}));
        QCOMPARE(android->copyValue(kABPersonBirthdayProperty).toDateTime().date(), QDate(1990, 2, 3));

        // Lines between the cards touched nobody.
        ABRecordRef last = personNamed(*book, QStringLiteral("Between"));
        QVERIFY(last);
        QVERIFY(last->copyMultiValue(kABPersonPhoneProperty).isEmpty());
        QVERIFY(last->copyText(kABPersonNoteProperty).isEmpty());
    }

    // A file of many cards is read in batches on helper threads: the people come in the order
    // of the file, each with its own lines, however the cards begin and end.
    void cardsKeepTheirOrderAndTheirOwnLines()
    {
        QByteArray file("text before the first card\r\nEND:VCARD\r\n");
        for (int i = 0; i < 300; ++i) {
            const QByteArray n = QByteArray::number(i);
            if (i == 150) // a card begun again drops what it had read
                file += "BEGIN:VCARD\r\nN:Dropped;Nobody\r\nTEL:999\r\n";
            file += i % 2 ? "begin:vcard\r\n" : "BEGIN:VCARD\r\n";
            file += "N:Last" + n + ";First\r\nitem1.TEL:" + n + "\r\nitem1.X-ABLabel:Desk" + n + "\r\n";
            file += "X-GROUP:Group" + QByteArray::number(i % 3) + "\r\n";
            // A keyword with a letter outside ASCII that only looks like END ends nothing.
            file += "\xC3\x89ND:x\r\nNOTE:note " + n + "\r\n";
            // A group name before END ends the card too; the END that follows (which keeps the
            // file's BEGIN and END lines even) stands between cards.
            file += i % 5 ? "end:vcard\r\n" : "item9.END:VCARD\r\nEND:VCARD\r\n";
            file += "TEL:between cards\r\n";
        }
        TestEnvironment env;
        const QString path = env.documents() + QStringLiteral("/many.vcf");
        writeFile(path, file);
        QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default, 0, nullptr), 300);
        ABAddressBookRef book = env.open();
        const QList<ABRecordRef> people = book->copyArrayOfAllPeople();
        QCOMPARE(people.size(), 300);
        for (int i = 0; i < 300; ++i) {
            const ABRecord &person = *people[i];
            const QString n = QString::number(i);
            QCOMPARE(person.copyText(kABPersonLastNameProperty), QStringLiteral("Last") + n);
            QCOMPARE(person.copyText(kABPersonNoteProperty), QStringLiteral("note ") + n);
            QCOMPARE(labelled(person, kABPersonPhoneProperty), (Pairs{{QStringLiteral("Desk") + n, n}}));
        }
        QCOMPARE(groupsOf(*book, people[4]), QStringList{QStringLiteral("Group1")});
        QCOMPARE(book->copyArrayOfAllGroups().size(), 3);
        for (const ABRecordRef &group : book->copyArrayOfAllGroups())
            QCOMPARE(group->copyArrayOfAllMemberIDs().size(), 100);
    }

    void loadFailures()
    {
        TestEnvironment env;
        VCARDimport missing;
        QString error;
        QCOMPARE(missing.loadVCardFile(env.documents() + QStringLiteral("/none.vcf"), 0, &error), -2);
        QVERIFY(!error.isEmpty());

        const QString latin = env.documents() + QStringLiteral("/latin.vcf");
        writeFile(latin, "BEGIN:VCARD\r\nN:M\xfcller;J\r\nEND:VCARD\r\n");
        VCARDimport asUtf8;
        QCOMPARE(asUtf8.loadVCardFile(latin, 0), -2);
        QCOMPARE(VCARDimport::importFile(latin, FieldFilter::Default, 1, nullptr), 1);
        QVERIFY(personNamed(*env.open(), QStringLiteral("Müller")));

        const QString mismatch = env.documents() + QStringLiteral("/mismatch.vcf");
        writeFile(mismatch, "BEGIN:VCARD\nN:A\nEND:VCARD\nBEGIN:VCARD\nN:B\nEND:VCARD\nBEGIN:VCARD\nN:C\n");
        VCARDimport reader;
        QCOMPARE(reader.loadVCardFile(mismatch, 0), -1);
        QCOMPARE(VCARDimport::importFile(mismatch, FieldFilter::Default, 0, nullptr), -1);
        QCOMPARE(env.open()->personCount(), 1);

        const QString empty = env.documents() + QStringLiteral("/empty.vcf");
        writeFile(empty, "nothing here\n");
        QCOMPARE(VCARDimport::importFile(empty, FieldFilter::Default, 0, nullptr), 0);
    }
};

QTEST_GUILESS_MAIN(VCardReaderTest)
#include "vcard_reader_test.moc"
