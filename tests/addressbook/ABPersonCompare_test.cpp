#include "addressbook/ABPersonCompare.h"
#include "addressbook/NameOrder.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

ABRecordRef person(const QString &first, const QString &last, const QString &organization = QString())
{
    ABRecordRef record = ABRecord::createPerson();
    if (!first.isEmpty())
        record->setValue(kABPersonFirstNameProperty, first);
    if (!last.isEmpty())
        record->setValue(kABPersonLastNameProperty, last);
    if (!organization.isEmpty())
        record->setValue(kABPersonOrganizationProperty, organization);
    return record;
}

QStringList labels(const QList<ABRecordRef> &people)
{
    QStringList list;
    for (const ABRecordRef &p : people)
        list.append(p->copyText(kABPersonFirstNameProperty) + u'|' + p->copyText(kABPersonLastNameProperty) + u'|'
                    + p->copyText(kABPersonOrganizationProperty));
    return list;
}

}

class ABPersonCompareTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortsByOrderingWithCollation_data()
    {
        QTest::addColumn<int>("ordering");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first") << kABPersonSortByFirstName
                               << QStringList{u"|Adler|"_s, u"Anna||"_s, u"Anna|Berg|"_s, u"anna|Zed|"_s, u"Annabel||"_s,
                                              u"Élodie|Lima|"_s, u"Emil|Öst|"_s, u"||Orchard Ltd"_s, u"Zoë|Ahn|"_s};
        QTest::newRow("last") << kABPersonSortByLastName
                              << QStringList{u"|Adler|"_s, u"Zoë|Ahn|"_s, u"Anna||"_s, u"Annabel||"_s, u"Anna|Berg|"_s,
                                             u"Élodie|Lima|"_s, u"||Orchard Ltd"_s, u"Emil|Öst|"_s, u"anna|Zed|"_s};
    }

    // The precomputed-key sort and the pairwise comparison must agree, or the list and
    // any caller of the comparison would order people differently.
    void sortsByOrderingWithCollation()
    {
        QFETCH(int, ordering);
        QList<ABRecordRef> people{person(u"Zoë"_s, u"Ahn"_s),   person(u"Emil"_s, u"Öst"_s), person(u"Anna"_s, u"Berg"_s),
                                  person(QString(), QString(), u"Orchard Ltd"_s), person(u"Élodie"_s, u"Lima"_s),
                                  person(u"Anna"_s, QString()), person(u"Annabel"_s, QString()), person(QString(), u"Adler"_s), person(u"anna"_s, u"Zed"_s)};
        QList<ABRecordRef> byKeys = people;
        ABPersonSortPeopleByName(byKeys, ordering);
        QTEST(labels(byKeys), "expected");
        QList<ABRecordRef> byCompare = people;
        std::stable_sort(byCompare.begin(), byCompare.end(), [&](const ABRecordRef &a, const ABRecordRef &b) {
            return ABPersonComparePeopleByName(a, b, ordering) < 0;
        });
        QCOMPARE(labels(byCompare), labels(byKeys));
    }

    void equalNamesKeepTheirOrder()
    {
        QList<ABRecordRef> people{person(u"Ann"_s, u"Lee"_s), person(u"Ann"_s, u"Lee"_s), person(u"Al"_s, QString())};
        QList<ABRecordRef> sorted = people;
        ABPersonSortPeopleByName(sorted, kABPersonSortByFirstName);
        QCOMPARE(sorted, (QList<ABRecordRef>{people[2], people[0], people[1]}));
        QCOMPARE(ABPersonComparePeopleByName(people[0], people[1], kABPersonSortByLastName), 0);
    }

    // The packed keys are ICU's own, made beside QCollator: for every locale and kind of name
    // they must order as QCollator compares, or the list would disagree with every other sort.
    void packedKeysOrderAsTheCollatorCompares_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name : {"en_US", "sv_SE", "de_DE", "C", "ja_JP"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void packedKeysOrderAsTheCollatorCompares()
    {
        QFETCH(QString, locale);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const QStringList names{u"Åsa"_s, u"Asa"_s, u"Ärla"_s, u"Zorro"_s, u"o'Brien"_s, u"OBrien"_s, u"O Brien"_s,
                                u"anna"_s, u"Anna"_s, u"ANNA"_s, u"Anna\tBerg"_s, u"Anna-Berg"_s, u"Item 10"_s, u"Item 9"_s,
                                u"Ørsted"_s, u"Straße"_s, u"Strasse"_s, u"e\u0301mile"_s, u"émile"_s, u"山田"_s, u"やまだ"_s,
                                QString(), u" "_s, u"#1"_s, u"😀 Smile"_s, QString(300, u'x') + u"Émile"_s};
        NameOrder order;
        for (const QString &name : names)
            order.add(name);
        QStringList packed;
        for (qsizetype index : order.take())
            packed.append(names[index]);
        QStringList compared = names;
        const QCollator collator = ABPersonNameCollator();
        std::stable_sort(compared.begin(), compared.end(),
                         [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
        QLocale::setDefault(before);
        QCOMPARE(packed, compared);
    }

    // A long list is sorted in two halves on two threads; the merge keeps equal names in the
    // order they came, across the halves too, and across lists appended to one another.
    void longListsKeepEqualNamesInOrder()
    {
        const int count = 9001;
        NameOrder order;
        for (int i = 0; i < count; ++i)
            order.add(i % 3 == 0 ? u"Berg"_s : i % 3 == 1 ? u"berg"_s : u"Adler"_s);
        const std::vector<qsizetype> sorted = order.take();
        QCOMPARE(qsizetype(sorted.size()), qsizetype(count));
        std::vector<qsizetype> expected;
        for (int group : {2, 1, 0}) {
            for (int i = 0; i < count; ++i) {
                if (i % 3 == group)
                    expected.push_back(i);
            }
        }
        QVERIFY(sorted == expected);

        // Lists made apart (on the loader's threads) and appended order as one list would.
        NameOrder first;
        NameOrder second;
        for (int i = 0; i < count; ++i)
            (i < 4000 ? first : second).add(i % 3 == 0 ? u"Berg"_s : i % 3 == 1 ? u"berg"_s : u"Adler"_s);
        first.append(std::move(second));
        QCOMPARE(first.size(), qsizetype(count));
        QVERIFY(first.take() == expected);
    }
};

QTEST_GUILESS_MAIN(ABPersonCompareTest)
#include "ABPersonCompare_test.moc"
