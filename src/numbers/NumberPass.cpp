#include "NumberPass.h"

#include "PreviewReport.h"
#include "WorkingNumber.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"

namespace {

constexpr const char *kOperation = "abModify";

// The transform's answer, or nothing for numbers and results beyond the capacities.
QByteArray rewriteOne(const NumberTransform &transform, const QByteArray &stored)
{
    const QByteArray working = WorkingNumber::from(stored);
    if (working.size() > WorkingNumber::kCapacity)
        return QByteArray();
    QByteArray result = transform.rewrite(working);
    if (result.size() > WorkingNumber::kResultCapacity)
        return QByteArray();
    return result;
}

} // namespace

NumberPass::Outcome NumberPass::run(const Request &request)
{
    Outcome outcome;
    auto progress = [&request](double value) {
        if (request.progress)
            request.progress(value);
    };
    PreviewReport report;
    if (!report.open(request.reportPath, &outcome.error)) {
        DevLog::log(QStringLiteral("%1 %2: %3").arg(QLatin1String(kOperation), request.reportPath, outcome.error));
        outcome.failure = Outcome::Failure::Report;
        progress(1.0);
        return outcome;
    }
    ABAddressBookRef book = ABSources::openAddressBook(kOperation);
    if (!book) {
        outcome.failure = Outcome::Failure::AddressBook;
        report.close(nullptr);
        progress(1.0);
        return outcome;
    }
    outcome.people = ABSources::personCountToWorkOn(*book);
    if (outcome.people == 0)
        DevLog::log(QStringLiteral("%1 ABAddressBookCopyArray... ERROR").arg(QLatin1String(kOperation)));
    if (request.logRecordCount)
        DevLog::log(QStringLiteral("%1 records").arg(book->personCount()));
    report.writeCount(outcome.people);

    bool marked = false;
    int position = 0;
    // One person at a time: the people looked at are let go, changed ones stay until the save.
    ABSources::forEachPersonToWorkOn(*book, [&](const ABRecordRef &person) {
        const double share = double(++position) / double(outcome.people);
        progress(share < 1 ? share : 0.95);
        ABMultiValue phones = person->copyMultiValue(kABPersonPhoneProperty);
        QString name;
        bool headerWritten = false;
        auto writeHeader = [&] {
            if (headerWritten)
                return;
            headerWritten = true;
            name = person->copyCompositeName();
            report.writePersonHeader(name);
        };
        for (int index = 0; index < phones.count(); ++index) {
            const QString stored = phones.copyValueAtIndex(index).toString();
            const QByteArray storedBytes = stored.toUtf8();
            const QByteArray result = rewriteOne(*request.transform, storedBytes);
            if (!result.isEmpty() && result != storedBytes) {
                phones.replaceValueAtIndex(QString::fromUtf8(result), index);
                if (request.commit) {
                    person->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
                    marked = true;
                }
                writeHeader();
                report.writeChanged(stored, result);
                ++outcome.changedNumbers;
                if (request.changed)
                    request.changed(name, stored, result);
            } else if (request.showAll) {
                writeHeader();
                report.writeUnchanged(stored);
            }
        }
    });

    if (marked && !book->save(&outcome.error)) {
        DevLog::log(QStringLiteral("%1 ABAddressBookSave error: %2").arg(QLatin1String(kOperation), outcome.error));
        outcome.failure = Outcome::Failure::Save;
    }
    book.reset();
    if (!report.hasRows())
        report.writeNoChangeNotice();
    report.writeTail();
    QString reportError;
    if (!report.close(&reportError) && outcome.failure == Outcome::Failure::None) {
        outcome.failure = Outcome::Failure::Report;
        outcome.error = reportError;
    }
    progress(1.0);
    return outcome;
}
