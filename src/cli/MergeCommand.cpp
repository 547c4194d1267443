// `vennaro merge ID1 ID2`: the merge screen's rows, taps on them, and the merged person.

#include "Command.h"
#include "merge/MergeViewController.h"
#include "merge/NewPersonEditor.h"

namespace {

struct Position {
    int section;
    int row;
    bool operator==(const Position &) const = default;
};

QList<Position> positions(const MergeViewController &merge)
{
    QList<Position> all;
    const auto &sections = merge.sections();
    for (int section = 0; section < sections.size(); ++section) {
        for (int row = 0; row < sections.at(section).data.size(); ++row)
            all.append({section, row});
    }
    return all;
}

// One line per value: tabs and line breaks of a value must not break the columns.
QString column(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

QString contactText(const MergeData &row)
{
    return row.shared ? QStringLiteral("both") : QString::number(row.contactIndex + 1);
}

int runMerge(const Arguments &args)
{
    if (args.positional.size() != 2)
        return Commands::fail(QStringLiteral("merge: give two record identifiers"));
    QList<ABContactRef> contacts;
    for (const QString &word : args.positional) {
        bool ok = false;
        const int id = word.toInt(&ok);
        ABContactRef contact = ok ? ABContact::contactWithRecordID(id) : nullptr;
        if (!contact)
            return Commands::fail(QStringLiteral("merge: no person has the identifier %1").arg(word));
        contacts.append(contact);
    }
    MergeViewController merge;
    merge.setContact1AndContact2(contacts.at(0), contacts.at(1));
    const QList<Position> rows = positions(merge);
    if (args.has(QStringLiteral("toggle"))) {
        for (const QString &word : args.value(QStringLiteral("toggle")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int number = word.trimmed().toInt(&ok);
            if (!ok || number < 1 || number > rows.size())
                return Commands::fail(QStringLiteral("merge: there is no row %1").arg(word));
            const Position at = rows.at(number - 1);
            const int partner = merge.partnerRow(at.section, at.row);
            if (!merge.didSelectRow(at.section, at.row)) {
                const int partnerNumber = int(rows.indexOf(Position{at.section, partner}, 0)) + 1;
                return Commands::fail(QStringLiteral("merge: row %1 refused: row %2 holds the other value of this field and is "
                                                     "ticked; untick it first")
                                          .arg(number)
                                          .arg(partnerNumber));
            }
        }
    }
    if (args.has(QStringLiteral("create"))) {
        NewPersonEditor editor(merge.buildMergedContact());
        QString error;
        if (!editor.save(&error))
            return Commands::fail(QStringLiteral("merge: %1").arg(error));
        Commands::out() << editor.person()->recordID() << Qt::endl;
        return 0;
    }
    for (qsizetype number = 0; number < rows.size(); ++number) {
        const Position at = rows.at(number);
        const MergeData &row = *merge.rowAt(at.section, at.row);
        Commands::out() << number + 1 << '\t' << merge.sections().at(at.section).header << '\t'
                        << (row.selected ? "[x]" : "[ ]") << '\t' << contactText(row) << '\t' << column(merge.mainText(row))
                        << '\t' << column(merge.detailText(row).trimmed()) << '\n';
    }
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("merge"), QStringLiteral("merge two people into a new one, field by field"),
                 QStringLiteral("Usage: vennaro merge ID1 ID2 [--toggle N,M,...] [--create]\n\n"
                                "Prints the rows of the merge screen, numbered from 1:\n"
                                "N<TAB>section<TAB>[x] or [ ]<TAB>contact 1, 2 or both<TAB>value<TAB>detail.\n"
                                "--toggle taps those rows in order (only one of two different values of a\n"
                                "single-value field may be ticked; a refused tap changes nothing and fails).\n"
                                "--create adds the person made of the ticked values and prints its identifier;\n"
                                "the two merged people stay as they are."),
                 {QStringLiteral("toggle")},
                 {QStringLiteral("create")},
                 runMerge});
