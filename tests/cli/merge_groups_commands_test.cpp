#include "support/TestEnvironment.h"

#include <QTest>

using namespace Qt::StringLiterals;

// `vennaro duplicates`, `vennaro merge` and `vennaro groups` run as the user runs them.
class MergeGroupsCommandsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment *env = nullptr;

    ABRecordID addPerson(const QString &first, const QString &last, const QStringList &phones = {})
    {
        ABAddressBookRef book = env->open();
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, first);
        person->setValue(kABPersonLastNameProperty, last);
        ABMultiValue numbers(kABMultiStringPropertyType);
        for (const QString &phone : phones)
            numbers.addValueAndLabel(phone, kABHomeLabel);
        if (!phones.isEmpty())
            person->setValue(kABPersonPhoneProperty, QVariant::fromValue(numbers));
        book->addRecord(person);
        book->save();
        return person->recordID();
    }
    QString run(const QStringList &arguments, int expectedStatus, QString *err = nullptr)
    {
        QString out, error;
        const int status = env->runProgram(arguments, &out, &error);
        if (status != expectedStatus)
            qWarning("%s -> %d: %s", qPrintable(arguments.join(u' ')), status, qPrintable(error));
        [&] { QCOMPARE(status, expectedStatus); }();
        if (err)
            *err = error;
        return out;
    }

private Q_SLOTS:
    void init() { env = new TestEnvironment; }
    void cleanup() { delete env; }

    void duplicatesByCriterion()
    {
        const ABRecordID a = addPerson(u"Ann"_s, u"Smith"_s);
        const ABRecordID b = addPerson(u"Ann"_s, u"Smith"_s);
        const ABRecordID c = addPerson(u"Ann"_s, u"Smyth"_s);
        QCOMPARE(run({u"duplicates"_s}, 0), u"%1\tAnn Smith\n%2\tAnn Smith\n"_s.arg(a).arg(b));
        QCOMPARE(run({u"duplicates"_s, u"--by"_s, u"first"_s}, 0),
                 u"%1\tAnn Smith\n%2\tAnn Smith\n%3\tAnn Smyth\n"_s.arg(a).arg(b).arg(c));
        QCOMPARE(run({u"duplicates"_s, u"--by"_s, u"other"_s}, 1), QString());
        QCOMPARE(run({u"duplicates"_s, u"--by"_s, u"all"_s}, 0).count(u'\n'), 3);
    }

    void noDuplicates()
    {
        addPerson(u"Ann"_s, u"Smith"_s);
        QString err;
        QCOMPARE(run({u"duplicates"_s, u"--by"_s, u"last"_s}, 1, &err), QString());
        QCOMPARE(err, u"No duplicate contacts found!\n"_s);
    }

    void mergeRowsTogglesAndCreate()
    {
        const ABRecordID a = addPerson(u"Ann"_s, u"Smith"_s, {u"111"_s, u"222"_s});
        const ABRecordID b = addPerson(u"Ann"_s, u"Smyth"_s, {u"222"_s, u"333"_s});
        const QString id1 = QString::number(a), id2 = QString::number(b);
        QCOMPARE(run({u"merge"_s, id1, id2}, 0),
                 u"1\tIdentification\t[x]\tboth\tAnn\tfirstname\n"
                 "2\tIdentification\t[ ]\t1\tSmith\tlastname\n"
                 "3\tIdentification\t[ ]\t2\tSmyth\tlastname\n"
                 "4\tPhones\t[ ]\t1\t111\thome\n"
                 "5\tPhones\t[x]\tboth\t222\thome\n"
                 "6\tPhones\t[ ]\t2\t333\thome\n"_s);
        QString err;
        run({u"merge"_s, id1, id2, u"--toggle"_s, u"2,3"_s, u"--create"_s}, 1, &err);
        QVERIFY2(err.contains(u"row 3 refused: row 2"_s), qPrintable(err));
        QCOMPARE(env->open()->personCount(), 2); // a refused tap creates nothing

        const QString created = run({u"merge"_s, id1, id2, u"--toggle"_s, u"3,6"_s, u"--create"_s}, 0).trimmed();
        ABAddressBookRef book = env->open();
        QCOMPARE(book->personCount(), 3);
        ABRecordRef person = book->personWithRecordID(created.toInt());
        QVERIFY(person);
        QCOMPARE(person->copyText(kABPersonLastNameProperty), u"Smyth"_s);
        QCOMPARE(person->copyMultiValue(kABPersonPhoneProperty).copyArrayOfAllValues(), (QList<QVariant>{u"222"_s, u"333"_s}));
        QVERIFY(book->personWithRecordID(a) && book->personWithRecordID(b));
    }

    void groupsLifecycle()
    {
        const ABRecordID ann = addPerson(u"Ann"_s, u"Abel"_s);
        const ABRecordID bo = addPerson(u"Bo"_s, u"Berg"_s);
        const QString id = run({u"groups"_s, u"add"_s, u"Friends"_s}, 0).trimmed();
        QCOMPARE(run({u"groups"_s}, 0), u"%1\tFriends\n"_s.arg(id));
        run({u"groups"_s, u"set"_s, u"Friends"_s, u"--add"_s, QString::number(bo)}, 0);
        QCOMPARE(run({u"groups"_s, u"members"_s, id}, 0), u"[ ]\t%1\tAnn Abel\n[x]\t%2\tBo Berg\n"_s.arg(ann).arg(bo));
        QString err;
        run({u"groups"_s, u"set"_s, id, u"--add"_s, QString::number(bo)}, 1, &err);
        QCOMPARE(err, u"Nothing changed!\n"_s);
        run({u"groups"_s, u"set"_s, id, u"--remove"_s, QString::number(bo), u"--add"_s, QString::number(ann)}, 0);
        QCOMPARE(run({u"groups"_s, u"members"_s, u"Friends"_s}, 0), u"[x]\t%1\tAnn Abel\n[ ]\t%2\tBo Berg\n"_s.arg(ann).arg(bo));
        run({u"groups"_s, u"delete"_s, u"Friends"_s}, 0);
        QCOMPARE(run({u"groups"_s}, 0), QString());
        run({u"groups"_s, u"members"_s, u"Friends"_s}, 1, &err);
        QVERIFY(err.contains(u"Group not found."_s));
    }
};

QTEST_MAIN(MergeGroupsCommandsTest)
#include "merge_groups_commands_test.moc"
