#include "SavedRules.h"

#include "platform/DevLog.h"
#include "shell/Documents.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr int kRuleItems = 4;

std::optional<ChangeRule> ruleFrom(const QString &name, const QVariant &value)
{
    const QVariantList items = value.toList();
    if (value.metaType().id() != QMetaType::QVariantList || items.size() != kRuleItems) {
        DevLog::log(QStringLiteral("FormatRules.plist: \"%1\" is not an array of four items; skipped").arg(name));
        return std::nullopt;
    }
    ChangeRule rule;
    rule.mask = items.at(0).toString();
    rule.newNumber = items.at(1).toString();
    rule.action = items.at(2).toInt();
    rule.showAll = items.at(3).toInt() != 0;
    return rule;
}

QVariant entryOf(const ChangeRule &rule)
{
    return QVariantList{rule.mask, rule.newNumber, qint64(rule.action), qint64(rule.showAll ? 1 : 0)};
}

bool write(const PropertyList::Entries &entries, QString *error)
{
    QSaveFile file(SavedRules::path());
    const QByteArray bytes = PropertyList::writeXmlDictionary(entries);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    DevLog::log(QStringLiteral("FormatRules.plist: %1").arg(file.errorString()));
    if (error)
        *error = file.errorString();
    return false;
}

qsizetype indexOf(const PropertyList::Entries &entries, const QString &name)
{
    for (qsizetype index = 0; index < entries.size(); ++index) {
        if (entries.at(index).first == name)
            return index;
    }
    return -1;
}

} // namespace

QString SavedRules::path()
{
    return Documents::filePath(QStringLiteral("FormatRules.plist"));
}

SavedRules::Table SavedRules::read()
{
    Table table;
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) {
        table.failure = Table::Failure::NoData;
        return table;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) {
        table.failure = Table::Failure::NoData;
        return table;
    }
    Result<PropertyList::Entries> entries = PropertyList::readDictionaryEntries(bytes);
    if (!entries)
        table.failure = Table::Failure::NotDictionary;
    else
        table.entries = *entries;
    return table;
}

QList<SavedRules::Named> SavedRules::rules(const Table &table)
{
    QList<Named> rules;
    for (const auto &[name, value] : table.entries) {
        if (std::optional<ChangeRule> rule = ruleFrom(name, value))
            rules.append({name, *rule});
    }
    return rules;
}

int SavedRules::count()
{
    return int(rules(read()).size());
}

std::optional<ChangeRule> SavedRules::find(const QString &name)
{
    const Table table = read();
    const qsizetype index = indexOf(table.entries, name);
    return index < 0 ? std::nullopt : ruleFrom(name, table.entries.at(index).second);
}

SavedRules::SaveResult SavedRules::save(const QString &name, const ChangeRule &rule, QString *error)
{
    PropertyList::Entries entries = read().entries;
    const qsizetype index = indexOf(entries, name);
    if (index >= 0)
        entries[index].second = entryOf(rule);
    else
        entries.append({name, entryOf(rule)});
    if (!write(entries, error))
        return SaveResult::WriteFailed;
    return index >= 0 ? SaveResult::Replaced : SaveResult::Added;
}

SavedRules::Removal SavedRules::remove(const QString &name)
{
    Table table = read();
    if (table.failure != Table::Failure::None)
        return {table.failure, 0};
    const qsizetype index = indexOf(table.entries, name);
    if (index >= 0) {
        table.entries.removeAt(index);
        write(table.entries, nullptr);
    }
    return {Table::Failure::None, int(rules(table).size())};
}
