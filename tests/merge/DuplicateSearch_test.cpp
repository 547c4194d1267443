#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "merge/DuplicateSearch.h"
#include "merge/DuplicateSearchViewController.h"
#include "screens/ScreenCatalog.h"
#include "selection/ABEntriesViewController.h"
#include "shell/ScreenRegistry.h"

#include <QRandomGenerator>

#include <functional>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "Ann|Smith": first and last name; "-" stands for a missing one.
ABRecordRef personFrom(const QString &description, const ABRecordRef &source = nullptr)
{
    ABRecordRef person = ABRecord::createPerson(source);
    const QStringList parts = description.split(u'|');
    if (parts.value(0) != u"-"_s)
        person->setValue(kABPersonFirstNameProperty, parts.value(0));
    if (parts.size() > 1 && parts.at(1) != u"-"_s)
        person->setValue(kABPersonLastNameProperty, parts.at(1));
    return person;
}

QStringList names(const EntryList &rows)
{
    QStringList list;
    for (const EntryDataRef &row : rows)
        list.append(row->name);
    return list;
}

QList<int> recordIDs(const EntryList &rows)
{
    QList<int> ids;
    for (const EntryDataRef &row : rows)
        ids.append(row->recID);
    return ids;
}

// The comparison as the definition states it, one character at a time and independent of the
// search's own folding: canonical and width decompositions taken apart recursively, marks
// dropped, then simple case folding.
QString referenceFold(const QString &text)
{
    QString out;
    std::function<void(char32_t)> add = [&](char32_t point) {
        const QChar::Decomposition tag = QChar::decompositionTag(point);
        if (tag == QChar::Canonical || tag == QChar::Wide || tag == QChar::Narrow) {
            const QString parts = QChar::decomposition(point);
            for (char32_t part : parts.toUcs4())
                add(part);
            return;
        }
        const QChar::Category category = QChar::category(point);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing)
            return;
        const char32_t folded = QChar::toCaseFolded(point);
        if (folded != point) {
            add(folded);
            return;
        }
        out += QString::fromUcs4(&point, 1);
    };
    for (char32_t point : text.toUcs4())
        add(point);
    return out;
}

bool referenceEqual(const QString &a, const QString &b)
{
    return !a.isNull() && !b.isNull() && referenceFold(a) == referenceFold(b);
}

bool referenceDuplicate(const ABRecord &p, const ABRecord &q, int criterion)
{
    const QString fp = p.copyText(kABPersonFirstNameProperty), fq = q.copyText(kABPersonFirstNameProperty);
    const QString lp = p.copyText(kABPersonLastNameProperty), lq = q.copyText(kABPersonLastNameProperty);
    switch (criterion) {
    case 1:
        return referenceEqual(fp, fq);
    case 2:
        return referenceEqual(lp, lq);
    default:
        if (fp.isNull() != fq.isNull() || lp.isNull() != lq.isNull())
            return false;
        if (fp.isNull() && lp.isNull())
            return false;
        return (fp.isNull() || referenceEqual(fp, fq)) && (lp.isNull() || referenceEqual(lp, lq));
    }
}

// Every ordered pair, a person listed when first found, its partner right after it.
EntryList quadraticRows(const QList<ABRecordRef> &people, int criterion)
{
    EntryList rows;
    auto listed = [&rows](int id) {
        for (const EntryDataRef &row : rows) {
            if (row->recID == id)
                return true;
        }
        return false;
    };
    for (qsizetype j = 0; j < people.size(); ++j) {
        for (qsizetype k = 0; k < people.size(); ++k) {
            if (k == j || !referenceDuplicate(*people.at(j), *people.at(k), criterion))
                continue;
            for (const ABRecordRef &person : {people.at(j), people.at(k)}) {
                if (!listed(person->recordID()))
                    EntryData::appendRow(rows, *person, person->recordID(), false);
            }
        }
    }
    return rows;
}

// Name variants that the comparison must see as equal or as different.
QString variant(QRandomGenerator &random, const QString &name)
{
    switch (random.bounded(8)) {
    case 0: return name.toUpper();
    case 1: return name.toLower();
    case 2: return name + u' ';
    case 3: {
        QString wide;
        for (QChar c : name)
            wide += c.unicode() >= 0x21 && c.unicode() <= 0x7e ? QChar(c.unicode() - 0x21 + 0xff01) : c;
        return wide;
    }
    case 4: return QString(name).replace(u'e', u"é"_s).replace(u'a', u"à"_s);
    case 5: return QString(name).replace(u'e', u"e\u0301"_s); // a combining accent
    default: return name;
    }
}

} // namespace

class DuplicateSearchTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment *env = nullptr;
    RecordingUiHost *host = nullptr;

    QList<ABRecordID> addPeople(const QStringList &descriptions, const ABRecordRef &source = nullptr)
    {
        ABAddressBookRef book = env->open();
        QList<ABRecordRef> people;
        for (const QString &description : descriptions) {
            ABRecordRef person = personFrom(description, source ? book->sourceWithRecordID(source->recordID()) : nullptr);
            book->addRecord(person);
            people.append(person);
        }
        book->save();
        QList<ABRecordID> ids;
        for (const ABRecordRef &person : people)
            ids.append(person->recordID());
        return ids;
    }

private Q_SLOTS:
    void init()
    {
        env = new TestEnvironment;
        host = new RecordingUiHost;
        ScreenCatalog::registerAll();
    }
    void cleanup()
    {
        ScreenRegistry::clear();
        delete host;
        delete env;
    }

    void namesCompareWithoutCaseAccentsAndWidth_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("case") << u"Ann"_s << u"aNN"_s << true;
        QTest::newRow("accent") << u"José"_s << u"jose"_s << true;
        QTest::newRow("combining accent") << u"Jose\u0301"_s << u"JOSÉ"_s << true;
        QTest::newRow("cedilla and ring") << u"Françoise Ångström"_s << u"francoise angstrom"_s << true;
        QTest::newRow("full width") << u"\uff21\uff4e\uff4e"_s << u"ann"_s << true;
        QTest::newRow("half-width katakana") << u"\uff76\uff9e"_s << u"\u30ac"_s << true;
        QTest::newRow("trailing blank") << u"Ann "_s << u"Ann"_s << false;
        QTest::newRow("other letter") << u"Smith"_s << u"Smyth"_s << false;
        QTest::newRow("missing") << QString() << QString() << false;
        QTest::newRow("missing and empty") << QString() << u""_s << false;
    }
    void namesCompareWithoutCaseAccentsAndWidth()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, equal);
        QCOMPARE(DuplicateSearch::namesEqual(a, b), equal);
        QCOMPARE(DuplicateSearch::namesEqual(b, a), equal);
        if (!a.isNull() && !b.isNull())
            QCOMPARE(referenceEqual(a, b), equal); // the reference agrees with the cases
    }

    void criteriaListTheRightPeople_data()
    {
        QTest::addColumn<QStringList>("people");
        QTest::addColumn<int>("criterion");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("full name, other case") << QStringList{u"Ann|Smith"_s, u"ann|SMITH"_s, u"Ann|Smyth"_s} << 0
                                               << QStringList{u"Ann Smith"_s, u"ann SMITH"_s};
        QTest::newRow("last names only") << QStringList{u"-|Smith"_s, u"-|smith"_s, u"Bo|Smith"_s} << 0
                                         << QStringList{u"Smith"_s, u"smith"_s};
        QTest::newRow("first name alone is not first + last") << QStringList{u"Ann|-"_s, u"Ann|Smith"_s} << 0 << QStringList{};
        QTest::newRow("three first names") << QStringList{u"Ann|Lee"_s, u"Ann|Berg"_s, u"Bo|Lee"_s, u"ANN|-"_s} << 1
                                           << QStringList{u"ANN"_s, u"Ann Berg"_s, u"Ann Lee"_s};
        QTest::newRow("no last name, never listed") << QStringList{u"Ann|-"_s, u"Ann|-"_s, u"Bo|Lee"_s, u"Cy|lee"_s} << 2
                                                    << QStringList{u"Bo Lee"_s, u"Cy lee"_s};
        QTest::newRow("trailing blank") << QStringList{u"Ann|Lee "_s, u"Ann|Lee"_s} << 0 << QStringList{};
    }
    void criteriaListTheRightPeople()
    {
        QFETCH(QStringList, people);
        QFETCH(int, criterion);
        QFETCH(QStringList, listed);
        addPeople(people);
        Result<DuplicateSearch::Found> found = DuplicateSearch::search(criterion);
        QVERIFY(found);
        // Letter case alone decides the order of equal names: the order itself is the
        // identity test's concern.
        QStringList got = names(found->rows);
        got.sort();
        listed.sort();
        QCOMPARE(got, listed);
        for (const EntryDataRef &row : found->rows)
            QVERIFY(!row->selected);
    }

    // The grouped search gives exactly the rows of the pairwise definition.
    void groupedSearchEqualsThePairwiseDefinition_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("count");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u})
            QTest::addRow("seed %u", seed) << seed << int(150 + 40 * seed);
    }
    void groupedSearchEqualsThePairwiseDefinition()
    {
        QFETCH(quint32, seed);
        QFETCH(int, count);
        QRandomGenerator random(seed);
        const QStringList firsts{u"Ann"_s, u"Anne"_s, u"Jose"_s, u"Renee"_s, u"Bo"_s, u"Zoe"_s};
        const QStringList lasts{u"Smith"_s, u"Smyth"_s, u"Lee"_s, u"Berg"_s, u"Moreau"_s};
        ABAddressBookRef book = env->open();
        ABRecordRef other = book->addSource(kABSourceTypeCardDAV, u"Cloud"_s);
        QList<ABRecordRef> people;
        for (int index = 0; index < count; ++index) {
            ABRecordRef person = ABRecord::createPerson(random.bounded(3) == 0 ? other : nullptr);
            if (random.bounded(5) != 0)
                person->setValue(kABPersonFirstNameProperty, variant(random, firsts.at(random.bounded(int(firsts.size())))));
            if (random.bounded(4) != 0)
                person->setValue(kABPersonLastNameProperty, variant(random, lasts.at(random.bounded(int(lasts.size())))));
            book->addRecord(person);
        }
        QVERIFY(book->save());
        // All sources, then the second source alone.
        for (int choice : {0, 2}) {
            ABSources::setSelectedIndex(choice);
            ABAddressBookRef fresh = env->open();
            QList<ABRecordRef> sorted = ABSources::peopleToWorkOn(*fresh);
            ABPersonSortPeopleByName(sorted, fresh->sortOrdering());
            for (int criterion : {0, 1, 2}) {
                Result<DuplicateSearch::Found> found = DuplicateSearch::search(criterion);
                QVERIFY(found);
                const EntryList expected = quadraticRows(sorted, criterion);
                QVERIFY2(!expected.isEmpty(), "the generated book has duplicates");
                QCOMPARE(recordIDs(found->rows), recordIDs(expected));
                QCOMPARE(names(found->rows), names(expected));
            }
        }
    }

    void chosenSourceAloneIsSearched()
    {
        ABAddressBookRef book = env->open();
        ABRecordRef cloud = book->addSource(kABSourceTypeCardDAV, u"Cloud"_s);
        addPeople({u"Ann|Lee"_s, u"Ann|Lee"_s});
        addPeople({u"Bo|Berg"_s, u"bo|berg"_s, u"Ann|Lee"_s}, cloud);
        ABSources::setSelectedIndex(2);
        Result<DuplicateSearch::Found> found = DuplicateSearch::search(0);
        QVERIFY(found);
        QStringList got = names(found->rows);
        got.sort();
        QCOMPARE(got, (QStringList{u"Bo Berg"_s, u"bo berg"_s}));
    }

    void screenOpensTheMergeListWithItsCriterion()
    {
        addPeople({u"Ann|Lee"_s, u"ann|Berg"_s, u"Bo|Lee"_s});
        auto *search = getScreen<DuplicateSearchViewController>(DuplicateSearchScreen);
        QCOMPARE(search->title(), u"Merge Contacts"_s);
        QCOMPARE(search->sectionTitle(0), u"Search duplicate contacts by"_s);
        QCOMPARE(search->sectionTitle(1), QString());
        QCOMPARE(search->rows(0).size(), 3);
        search->didSelectRow(0, 0); // "First name"
        QCOMPARE(host->stack.size(), 1);
        auto *list = qobject_cast<ABEntriesViewController *>(host->stack.last());
        QVERIFY(list);
        QCOMPARE(list->mode(), int(ABEntriesViewController::ModeMerge));
        QCOMPARE(list->searchCriteria(), int(ABEntriesViewController::FirstName));
        list->viewWillAppear();
        QVERIFY(list->isBusy() && list->isLocked());
        QTRY_VERIFY(!list->isBusy());
        QCOMPARE(names(list->rows()), (QStringList{u"ann Berg"_s, u"Ann Lee"_s}));
        QVERIFY(!list->isLocked());
        QVERIFY(host->alerts.isEmpty());
    }

    void noDuplicateWarnsAfterTheWorkerSearch()
    {
        addPeople({u"Ann|Lee"_s, u"Bo|Berg"_s});
        auto *search = getScreen<DuplicateSearchViewController>(DuplicateSearchScreen);
        search->didSelectRow(0, 2); // "First name + Last name"
        auto *list = qobject_cast<ABEntriesViewController *>(host->stack.last());
        QCOMPARE(list->searchCriteria(), 0);
        list->viewWillAppear();
        QTRY_VERIFY(!list->isBusy());
        QCOMPARE(host->lastText(), u"No duplicate contacts found!"_s);
        QVERIFY(list->rows().isEmpty());
    }
};

QTEST_MAIN(DuplicateSearchTest)
#include "DuplicateSearch_test.moc"
