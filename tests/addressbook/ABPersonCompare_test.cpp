#include "addressbook/ABPersonCompare.h"

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
};

QTEST_GUILESS_MAIN(ABPersonCompareTest)
#include "ABPersonCompare_test.moc"
