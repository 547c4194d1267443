#include "support/RecordingUiHost.h"
#include "support/SampleContacts.h"
#include "support/TestEnvironment.h"

#include "merge/MergeViewController.h"
#include "merge/NewPersonEditor.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

QVariantMap entry(const QVariant &value, const QString &label = kABHomeLabel)
{
    return {{u"value"_s, value}, {u"label"_s, label}};
}

// One line per row: "section/property/contact/[x]/shared/dim".
QStringList layout(const MergeViewController &merge)
{
    QStringList lines;
    for (const MergeSection &section : merge.sections()) {
        for (const MergeDataRef &row : section.data)
            lines.append(u"%1/%2/%3/%4%5%6"_s.arg(section.header)
                             .arg(row->propertyID)
                             .arg(row->shared ? u"both"_s : QString::number(row->contactIndex + 1))
                             .arg(row->selected ? u"[x]"_s : u"[ ]"_s)
                             .arg(row->singleselection ? u" single"_s : QString())
                             .arg(row->dim ? u" dim"_s : QString()));
    }
    return lines;
}

} // namespace

class MergeViewControllerTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment *env = nullptr;
    RecordingUiHost *host = nullptr;
    MergeViewController *merge = nullptr;

    // Adds both people and opens the merge screen on them.
    void open(ABContactRef a, ABContactRef b)
    {
        ABAddressBookRef book = env->open();
        QVERIFY(book->addRecord(a->record()) && book->addRecord(b->record()) && book->save());
        merge->setContact1AndContact2(ABContact::contactWithRecordID(a->recordID()), ABContact::contactWithRecordID(b->recordID()));
    }
    int section(const QString &header) const
    {
        for (int index = 0; index < merge->sections().size(); ++index) {
            if (merge->sections().at(index).header == header)
                return index;
        }
        return -1;
    }

private Q_SLOTS:
    void init()
    {
        env = new TestEnvironment;
        host = new RecordingUiHost;
        merge = new MergeViewController;
    }
    void cleanup()
    {
        delete merge;
        delete host;
        delete env;
    }

    void singleValuesShareOnlyWhenExactlyEqual_data()
    {
        QTest::addColumn<QString>("first1");
        QTest::addColumn<QString>("first2");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("same") << u"Ann"_s << u"Ann"_s << QStringList{u"Identification/0/both/[x] single"_s};
        QTest::newRow("other case") << u"Ann"_s << u"ann"_s
                                    << QStringList{u"Identification/0/1/[ ] single"_s, u"Identification/0/2/[ ] single"_s};
        QTest::newRow("only the second") << QString() << u"Ann"_s << QStringList{u"Identification/0/2/[ ] single"_s};
    }
    void singleValuesShareOnlyWhenExactlyEqual()
    {
        QFETCH(QString, first1);
        QFETCH(QString, first2);
        QFETCH(QStringList, rows);
        ABContactRef a = ABContact::contact(), b = ABContact::contact();
        a->setFirstname(first1);
        b->setFirstname(first2);
        open(a, b);
        QCOMPARE(layout(*merge), rows);
    }

    void multiValuesTickWhatBothShare()
    {
        ABContactRef a = ABContact::contact(), b = ABContact::contact();
        a->setPhoneDictionaries({entry(u"111"_s), entry(u"222"_s, kABWorkLabel)});
        b->setPhoneDictionaries({entry(u"222"_s, kABWorkLabel), entry(u"333"_s)});
        b->setEmailDictionaries({entry(u"b@example.org"_s)});
        open(a, b);
        QCOMPARE(layout(*merge), (QStringList{u"Phones/3/1/[ ]"_s, u"Phones/3/both/[x]"_s, u"Phones/3/2/[ ]"_s, u"Emails/4/2/[ ]"_s}));
        const int phones = section(u"Phones"_s);
        QCOMPARE(merge->mainText(*merge->rowAt(phones, 1)), u"222"_s);
        QCOMPARE(merge->detailText(*merge->rowAt(phones, 1)), u"work"_s);
        QCOMPARE(merge->rowAt(phones, 2)->propertyIndex, 1); // P3 is the second phone of person 2
        QCOMPARE(MergeViewController::backgroundRgb(*merge->rowAt(phones, 1)), 0xe8bfc5u);
        QCOMPARE(MergeViewController::backgroundRgb(*merge->rowAt(phones, 0)), 0xdee0e2u);
        QCOMPARE(MergeViewController::backgroundRgb(*merge->rowAt(phones, 2)), 0xffffffu);

        // Next without a tap: only what both have.
        ABContactRef merged = merge->buildMergedContact();
        QCOMPARE(merged->phoneArray(), QList<QVariant>{u"222"_s});
        QVERIFY(merged->emailArray().isEmpty());
        QVERIFY(merged->firstname().isNull());
        // Ticking more appends those entries in row order.
        QVERIFY(merge->didSelectRow(phones, 2));
        QVERIFY(merge->didSelectRow(phones, 0));
        QCOMPARE(merge->buildMergedContact()->phoneArray(), (QList<QVariant>{u"111"_s, u"222"_s, u"333"_s}));
    }

    void partnerTickRefusesTheOtherValue()
    {
        ABContactRef a = ABContact::contact(), b = ABContact::contact();
        a->setLastname(u"Smith"_s);
        b->setLastname(u"Smyth"_s);
        a->setOrganization(u"Acme"_s);
        open(a, b);
        const int names = section(u"Identification"_s);
        QVERIFY(merge->didSelectRow(names, 0)); // person 1's last name
        QVERIFY(merge->rowAt(names, 1)->dim);
        QVERIFY(!merge->didSelectRow(names, 1)); // refused: nothing changes
        QVERIFY(merge->rowAt(names, 0)->selected && !merge->rowAt(names, 1)->selected);
        QCOMPARE(merge->partnerRow(names, 1), 0);
        QVERIFY(merge->didSelectRow(names, 0)); // untick: the partner comes back
        QVERIFY(!merge->rowAt(names, 1)->dim);
        QVERIFY(merge->didSelectRow(names, 1));
        QVERIFY(merge->rowAt(names, 0)->dim);
        QCOMPARE(merge->buildMergedContact()->lastname(), u"Smyth"_s);
        // A value only one person has stands alone.
        QCOMPARE(merge->partnerRow(section(u"Miscellaneous"_s), 0), -1);
    }

    void picturesExcludeEachOther_data()
    {
        QTest::addColumn<bool>("picture1");
        QTest::addColumn<bool>("picture2");
        QTest::addColumn<int>("rows");
        QTest::newRow("both") << true << true << 2;
        QTest::newRow("second only") << false << true << 1;
        QTest::newRow("none") << false << false << 0;
    }
    void picturesExcludeEachOther()
    {
        QFETCH(bool, picture1);
        QFETCH(bool, picture2);
        QFETCH(int, rows);
        ABContactRef a = ABContact::contact(), b = ABContact::contact();
        a->setFirstname(u"Ann"_s);
        b->setFirstname(u"Ann"_s);
        if (picture1)
            a->record()->setImageData(SampleContacts::photo());
        if (picture2)
            b->record()->setImageData(SampleContacts::photo());
        open(a, b);
        const MergeSection &identification = merge->sections().first();
        QCOMPARE(identification.data.size(), 1 + rows);
        for (int row = 1; row <= rows; ++row) {
            QCOMPARE(identification.data.at(row)->propertyID, kMergePictureProperty);
            QCOMPARE(merge->detailText(*identification.data.at(row)), u"                 photo"_s);
            QCOMPARE(merge->pictureData(*identification.data.at(row)), SampleContacts::photo());
        }
        if (rows == 2) {
            QVERIFY(merge->didSelectRow(0, 2));
            QVERIFY(!merge->didSelectRow(0, 1));
            QCOMPARE(merge->buildMergedContact()->record()->copyImageData(), SampleContacts::photo());
        }
    }

    void rowTextsOfTheFamilies()
    {
        ABContactRef a = ABContact::contact(), b = ABContact::contact();
        const QDateTime day(QDate(2020, 1, 2), QTime(12, 0), QTimeZone::utc());
        a->setBirthday(day);
        a->setAddressDictionaries({entry(QVariantMap{{kABPersonAddressStreetKey, u"1 Main St\nFlat 2"_s},
                                                     {kABPersonAddressCityKey, u"Springfield"_s},
                                                     {kABPersonAddressZIPKey, u"12345"_s}},
                                         kABWorkLabel)});
        b->setSmsDictionaries({entry(QVariantMap{{kABPersonInstantMessageServiceKey, u"Jabber"_s},
                                                 {kABPersonInstantMessageUsernameKey, u"ann"_s}})});
        b->setSocialProfilesDictionaries({entry(QVariantMap{{kABPersonSocialProfileServiceKey, u"twitter"_s},
                                                            {kABPersonSocialProfileUsernameKey, u"@ann"_s}})});
        b->setDateDictionaries({entry(day, kABPersonAnniversaryLabel)});
        open(a, b);
        auto first = [this](const QString &header) { return merge->rowAt(section(header), 0); };
        QCOMPARE(merge->mainText(*first(u"Addresses"_s)), u"1 Main St Flat 2 - Springfield - 12345"_s);
        QCOMPARE(merge->detailText(*first(u"Addresses"_s)), u"work"_s);
        QVERIFY(!merge->usesSmallFont(*first(u"Addresses"_s)));
        QCOMPARE(merge->mainText(*first(u"Instant messages"_s)), u"ann (Jabber)"_s);
        QCOMPARE(merge->mainText(*first(u"Social profiles"_s)), u"@ann"_s);
        QCOMPARE(merge->detailText(*first(u"Social profiles"_s)), u"twitter"_s);
        QCOMPARE(merge->mainText(*first(u"Miscellaneous"_s)), QLocale().toString(day.toLocalTime().date(), u"MMM d, yyyy"_s));
        QCOMPARE(merge->detailText(*first(u"Miscellaneous"_s)), u"birthday"_s);
        QCOMPARE(merge->detailText(*first(u"Dates"_s)), u"anniversary"_s);
        QCOMPARE(merge->title(), u"Select Fields"_s);
        QVERIFY(merge->footerText().startsWith(u"Single selection fields (firstname, lastname ...)"_s));
    }

    void savingTheEditorAddsThePersonAndCloses()
    {
        ABContactRef a = ABContact::contact(), b = ABContact::contact();
        a->setFirstname(u"Ann"_s);
        b->setFirstname(u"Ann"_s);
        a->setLastname(u"Lee"_s);
        open(a, b);
        host->push(merge);
        QSignalSpy requested(merge, &MergeViewController::editorRequested);

        // Cancel: nothing is added, the screen stays with its ticks.
        merge->previewButtonPressed();
        QCOMPARE(requested.size(), 1);
        NewPersonEditor *editor = merge->editor();
        QVERIFY(editor);
        QCOMPARE(editor->text(kABPersonFirstNameProperty), u"Ann"_s);
        editor->cancel();
        QCOMPARE(env->open()->personCount(), 2);
        QCOMPARE(host->stack.size(), 1);
        QVERIFY(host->alerts.isEmpty());

        // Save: the reviewed person is added, the screen closes and says so.
        merge->previewButtonPressed();
        editor = merge->editor();
        QVERIFY(editor && editor != nullptr);
        QVERIFY(editor->setText(kABPersonNicknameProperty, u"Annie"_s));
        QVERIFY(editor->save());
        QVERIFY(host->stack.isEmpty());
        QCOMPARE(host->lastTitle(), u"Vennaro"_s);
        QCOMPARE(host->lastText(), u"A new contact record with merged fields has been created and added to the address book."_s);
        ABAddressBookRef book = env->open();
        QCOMPARE(book->personCount(), 3);
        ABRecordRef added = book->personWithRecordID(editor->person()->recordID());
        QVERIFY(added);
        QCOMPARE(added->copyText(kABPersonFirstNameProperty), u"Ann"_s);
        QCOMPARE(added->copyText(kABPersonNicknameProperty), u"Annie"_s);
        QVERIFY(added->copyText(kABPersonLastNameProperty).isNull()); // person 1's last name was not ticked
    }

    void editorEntriesRoundTrip()
    {
        ABContactRef person = ABContact::contact();
        const QDateTime morning(QDate(2001, 5, 6), QTime(3, 4), QTimeZone::utc());
        person->setDateDictionaries({entry(morning, kABPersonAnniversaryLabel)});
        NewPersonEditor editor(person);
        QList<NewPersonEditor::Entry> dates = editor.entries(kABPersonDateProperty);
        QCOMPARE(dates.size(), 1);
        QCOMPARE(dates.first().label, u"anniversary"_s);
        // An untouched entry keeps its stored value; a changed one reads the date typed.
        dates.append({u"home"_s, {u"1999-12-31"_s}});
        QVERIFY(editor.setEntries(kABPersonDateProperty, dates));
        const QList<QVariantMap> stored = person->dateDictionaries();
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored.at(0).value(u"value"_s).toDateTime(), morning);
        QCOMPARE(stored.at(1).value(u"label"_s).toString(), kABHomeLabel);
        QCOMPARE(stored.at(1).value(u"value"_s).toDateTime().date(), QDate(1999, 12, 31));
        QString error;
        QVERIFY(!editor.setEntries(kABPersonDateProperty, {{u"home"_s, {u"soon"_s}}}, &error));
        QCOMPARE(error, u"\"soon\" is not a date (year-month-day)."_s);
        QCOMPARE(person->dateDictionaries().size(), 2); // left as it was

        QVERIFY(editor.setEntries(kABPersonAddressProperty, {{u"my place"_s, {u"Rua 1"_s, u"Porto"_s, {}, {}, {}, {}}}, {u"work"_s, {{}, {}, {}, {}, {}, {}}}}));
        const QList<QVariantMap> addresses = person->addressDictionaries();
        QCOMPARE(addresses.size(), 1); // the empty entry is dropped
        QCOMPARE(addresses.first().value(u"label"_s).toString(), u"my place"_s);
        QCOMPARE(addresses.first().value(u"value"_s).toMap(),
                 (QVariantMap{{kABPersonAddressStreetKey, u"Rua 1"_s}, {kABPersonAddressCityKey, u"Porto"_s}}));
    }
};

QTEST_MAIN(MergeViewControllerTest)
#include "MergeViewController_test.moc"
