// The number rewriting pass on a large address book. Goals on 100,000 people with two to four
// phones each: Preview of a rule that changes about half of the numbers <= 1.5 s, Commit of
// the same rule <= 3 s with the save, a format-mask pass the same; peak memory <= 300 MB (the
// `vennaro numbers` commands, measured as child processes).

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "numbers/ChangeRule.h"
#include "numbers/FormatMasks.h"
#include "numbers/NumberPass.h"
#include "numbers/NumberPassScreen.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>

#include <sys/resource.h>

namespace {

constexpr int kPeople = 100000;

QString digits(QRandomGenerator &random, int count)
{
    QString text;
    for (int index = 0; index < count; ++index)
        text += QLatin1Char(char('0' + random.bounded(10)));
    return text;
}

// Half of the numbers are Lisbon numbers written "21 xxx xxxx", the others mobiles "9xx xxx xxx".
bool seed()
{
    BenchTimer timer(QStringLiteral("seeding (not a goal)"));
    QRandomGenerator random(12);
    ABAddressBookRef book = ABAddressBook::create();
    int numbers = 0;
    for (int index = 0; index < kPeople; ++index) {
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("First%1").arg(index));
        person->setValue(kABPersonLastNameProperty, QStringLiteral("Last%1").arg(index));
        ABMultiValue phones(kABMultiStringPropertyType);
        const int count = 2 + random.bounded(3);
        for (int phone = 0; phone < count; ++phone) {
            const QString number = random.bounded(2) == 0
                                       ? QStringLiteral("21 %1 %2").arg(digits(random, 3), digits(random, 4))
                                       : QStringLiteral("9%1 %2 %3").arg(digits(random, 2), digits(random, 3), digits(random, 3));
            phones.addValueAndLabel(number, kABPersonPhoneMobileLabel);
        }
        numbers += count;
        person->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
        book->addRecord(person);
    }
    if (!book->save())
        return false;
    timer.report(numbers);
    return true;
}

void runPass(const QString &what, const NumberTransform &transform, bool commit)
{
    NumberPass::Request request;
    request.transform = &transform;
    request.commit = commit;
    request.reportPath = NumberPassScreen::reportPath();
    BenchTimer timer(what);
    const NumberPass::Outcome outcome = NumberPass::run(request);
    if (outcome.failure != NumberPass::Outcome::Failure::None)
        std::printf("   %s failed: %s\n", qPrintable(what), qPrintable(outcome.error));
    timer.report(outcome.changedNumbers);
}

void runCommand(const BenchScratch &scratch, const QStringList &arguments)
{
    const QString program = qEnvironmentVariable("VENNARO_BINARY");
    if (program.isEmpty()) {
        std::printf("   vennaro numbers: set VENNARO_BINARY to measure it\n");
        return;
    }
    BenchTimer timer(QStringLiteral("vennaro numbers ") + arguments.join(QLatin1Char(' ')));
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(program, QStringList{QStringLiteral("--documents"), scratch.documents(), QStringLiteral("--addressbook"),
                                     scratch.addressBook(), QStringLiteral("numbers")}
                             + arguments);
    child.waitForFinished(-1);
    timer.report();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("   largest child so far: %ld MB peak memory\n", usage.ru_maxrss / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/numbers_bench");
    QDir().mkpath(folder);
    BenchScratch scratch(folder, QStringLiteral("numbers"));
    if (!seed()) {
        std::printf("seeding failed\n");
        return 1;
    }
    const ChangeRule trunk{QStringLiteral("21@"), QStringLiteral("0"), ChangeRule::Prefix, false};
    runPass(QStringLiteral("change rule Preview, about half the numbers"), *trunk.transform(), false);
    runPass(QStringLiteral("change rule Commit with the save"), *trunk.transform(), true);
    // After the commit the Lisbon numbers have ten digits, the mobiles nine.
    FormatMasks masks;
    masks.masks = {QStringLiteral("??? ??? ????"), QString(), QString()};
    runPass(QStringLiteral("format masks Preview"), *masks.transform(), false);
    runPass(QStringLiteral("format masks Commit with the save"), *masks.transform(), true);

    runCommand(scratch, {QStringLiteral("change"), QStringLiteral("--mask"), QStringLiteral("9@"), QStringLiteral("--new"),
                         QStringLiteral("+351"), QStringLiteral("--action"), QStringLiteral("prefix"), QStringLiteral("--commit")});
    runCommand(scratch, {QStringLiteral("format"), QStringLiteral("--mask1"), QStringLiteral("???? ??? ??? ???"),
                         QStringLiteral("--commit")});
    return 0;
}
