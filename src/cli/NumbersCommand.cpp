// `vennaro numbers`: the change rules, the format masks and the saved rules of the number
// screens on the command line. Every run writes preview.html as the screens do.

#include "Command.h"
#include "TerminalProgress.h"
#include "numbers/ChangeRule.h"
#include "numbers/E164Transform.h"
#include "numbers/FormatMasks.h"
#include "numbers/NumberPass.h"
#include "numbers/NumberPassScreen.h"
#include "numbers/SavedFormatMasks.h"
#include "numbers/SavedRules.h"
#include "platform/Localization.h"

#include <optional>

namespace {

const QStringList kActionWords{QStringLiteral("prefix"), QStringLiteral("replace"), QStringLiteral("erase")};

QString actionWord(int action)
{
    return action >= 0 && action < kActionWords.size() ? kActionWords.at(action) : QString::number(action);
}

// The rule given by --mask, --new, --action and --show-all; an Error for an unknown action.
Result<ChangeRule> ruleFromOptions(const Arguments &args)
{
    ChangeRule rule;
    rule.mask = args.value(QStringLiteral("mask"));
    rule.newNumber = args.value(QStringLiteral("new"));
    rule.showAll = args.has(QStringLiteral("show-all"));
    if (args.has(QStringLiteral("action"))) {
        rule.action = int(kActionWords.indexOf(args.value(QStringLiteral("action")).toLower()));
        if (rule.action < 0)
            return Error{QStringLiteral("numbers: --action is prefix, replace or erase")};
    }
    return rule;
}

int runPass(const NumberTransform &transform, const Arguments &args, bool showAll, bool logRecordCount)
{
    const bool commit = args.has(QStringLiteral("commit"));
    TerminalProgress progress(L("KScanningPhoneBook").simplified());
    NumberPass::Request request;
    request.transform = &transform;
    request.commit = commit;
    request.showAll = showAll;
    request.logRecordCount = logRecordCount;
    request.reportPath = NumberPassScreen::reportPath();
    request.progress = [&progress](double value) { progress.setProgress(value); };
    request.changed = [](const QString &name, const QString &stored, const QByteArray &result) {
        Commands::out() << name << QStringLiteral(": ") << stored << QStringLiteral(" -> ") << QString::fromUtf8(result) << '\n';
    };
    const NumberPass::Outcome outcome = NumberPass::run(request);
    Commands::out().flush();
    switch (outcome.failure) {
    case NumberPass::Outcome::Failure::Report: return Commands::fail(L("KErrWritePreview").arg(outcome.error));
    case NumberPass::Outcome::Failure::AddressBook: return Commands::fail(L("KErrCreateAddrBook"));
    case NumberPass::Outcome::Failure::Save: return Commands::fail(L("KErrNumbersNotSaved").arg(outcome.error));
    case NumberPass::Outcome::Failure::None: break;
    }
    Commands::out() << L(commit ? "KNumbersChangedSaved" : "KNumbersChanged").arg(outcome.changedNumbers) << Qt::endl;
    return 0;
}

int runChange(const Arguments &args)
{
    ChangeRule rule;
    if (args.has(QStringLiteral("rule"))) {
        const std::optional<ChangeRule> saved = SavedRules::find(args.value(QStringLiteral("rule")));
        if (!saved)
            return Commands::fail(QStringLiteral("numbers: no saved rule is named \"%1\"").arg(args.value(QStringLiteral("rule"))));
        rule = *saved;
        rule.showAll = rule.showAll || args.has(QStringLiteral("show-all"));
    } else {
        Result<ChangeRule> given = ruleFromOptions(args);
        if (!given)
            return Commands::fail(given.error());
        rule = *given;
    }
    switch (rule.checkMask()) {
    case ChangeRule::MaskCheck::Missing: return Commands::fail(L("KErrMissingMask"));
    case ChangeRule::MaskCheck::Invalid: return Commands::fail(L("KErrInvalidMask"));
    case ChangeRule::MaskCheck::Valid: break;
    }
    return runPass(*rule.transform(), args, rule.showAll, true);
}

int runFormat(const Arguments &args)
{
    FormatMasks masks = SavedFormatMasks::load();
    for (size_t index = 0; index < masks.masks.size(); ++index) {
        const QString option = QStringLiteral("mask%1").arg(index + 1);
        if (args.has(option))
            masks.masks[index] = args.value(option);
    }
    if (masks.allEmpty())
        return Commands::fail(L("KMissingFmtMask"));
    SavedFormatMasks::save(masks);
    return runPass(*masks.transform(), args, args.has(QStringLiteral("show-all")), false);
}

int runE164(const Arguments &args)
{
    const QString region = args.value(QStringLiteral("region"));
    if (!E164Transform::isKnownRegion(region))
        return Commands::fail(QStringLiteral("numbers e164: --region is a country code such as DE or US"));
    return runPass(E164Transform(region), args, args.has(QStringLiteral("show-all")), false);
}

int runRules(const Arguments &args)
{
    const QString verb = args.positional.value(1);
    if (verb.isEmpty()) {
        for (const SavedRules::Named &named : SavedRules::rules(SavedRules::read())) {
            const ChangeRule &rule = named.rule;
            Commands::out() << named.name << '\t' << rule.mask << '\t' << rule.newNumber << '\t' << actionWord(rule.action)
                            << '\t' << (rule.showAll ? 1 : 0) << '\n';
        }
        Commands::out().flush();
        return 0;
    }
    if (args.positional.size() != 3)
        return Commands::fail(QStringLiteral("numbers rules: give save NAME or delete NAME"));
    const QString name = args.positional.at(2);
    if (verb == QLatin1String("save")) {
        Result<ChangeRule> rule = ruleFromOptions(args);
        if (!rule)
            return Commands::fail(rule.error());
        if (name.isEmpty())
            return Commands::fail(L("KErrMissingRuleName"));
        if (rule->mask.isEmpty())
            return Commands::fail(L("KErrMissingMask"));
        QString error;
        switch (SavedRules::save(name, *rule, &error)) {
        case SavedRules::SaveResult::Added: Commands::out() << L("KMaskSaved") << Qt::endl; return 0;
        case SavedRules::SaveResult::Replaced: Commands::out() << L("KMaskChanged") << Qt::endl; return 0;
        case SavedRules::SaveResult::WriteFailed: return Commands::fail(L("KErrWriteRules").arg(error));
        }
    }
    if (verb == QLatin1String("delete")) {
        if (!SavedRules::find(name))
            return Commands::fail(QStringLiteral("numbers: no saved rule is named \"%1\"").arg(name));
        SavedRules::remove(name);
        return 0;
    }
    return Commands::fail(QStringLiteral("numbers rules: unknown word \"%1\"").arg(verb));
}

int runNumbers(const Arguments &args)
{
    const QString verb = args.positional.value(0);
    if (verb == QLatin1String("change") && args.positional.size() == 1)
        return runChange(args);
    if (verb == QLatin1String("format") && args.positional.size() == 1)
        return runFormat(args);
    if (verb == QLatin1String("e164") && args.positional.size() == 1)
        return runE164(args);
    if (verb == QLatin1String("rules"))
        return runRules(args);
    return Commands::fail(QStringLiteral("numbers: give change, format, e164 or rules (see vennaro numbers --help)"));
}

} // namespace

VENNARO_COMMAND({QStringLiteral("numbers"), QStringLiteral("rewrite phone numbers by change rules or format masks"),
                 QStringLiteral(
                     "Usage: vennaro numbers change --mask M [--new W] [--action prefix|replace|erase] [--show-all] [--commit]\n"
                     "       vennaro numbers change --rule NAME [--commit]\n"
                     "       vennaro numbers format [--mask1 M] [--mask2 M] [--mask3 M] [--show-all] [--commit]\n"
                     "       vennaro numbers e164 --region CC [--show-all] [--commit]\n"
                     "       vennaro numbers rules                   NAME<TAB>mask<TAB>new<TAB>action<TAB>show-all per rule\n"
                     "       vennaro numbers rules save NAME --mask M [--new W] [--action ...] [--show-all]\n"
                     "       vennaro numbers rules delete NAME\n\n"
                     "Runs over every phone number of the working set, writes the report preview.html in the\n"
                     "documents folder and prints \"name: old -> new\" per changed number and a count. Nothing is\n"
                     "written to the address book without --commit, which saves all changes in one go (and none\n"
                     "when the save fails).\n\n"
                     "Change masks: '?' matches one character, '@' at the start or end any run of them; the\n"
                     "digits, '#', '*' and '+' of the mask pick the part the action replaces or erases (Prefix puts\n"
                     "the new number in front). A mask starting with r is a POSIX extended regular expression.\n"
                     "Only digits, '#', '*' and '+' of a number are looked at and kept when it changes.\n\n"
                     "Format masks: the first mask whose count of '?' equals a number's count of characters gets\n"
                     "the number's characters in its '?' places. Masks not given come from FormatMasks.plist (or\n"
                     "the defaults); the masks used are saved there.\n\n"
                     "e164 writes every number libphonenumber takes for a valid one in the international form\n"
                     "(+4930123456): national numbers are read as numbers of the region CC (a country code such\n"
                     "as DE or US). Numbers it cannot read stay as they are; --show-all lists them."),
                 {QStringLiteral("mask"), QStringLiteral("new"), QStringLiteral("action"), QStringLiteral("rule"),
                  QStringLiteral("mask1"), QStringLiteral("mask2"), QStringLiteral("mask3"), QStringLiteral("region")},
                 {QStringLiteral("show-all"), QStringLiteral("commit")},
                 runNumbers});
