#include "LaunchOptions.h"

LaunchOptions LaunchOptions::parse(const QStringList &words)
{
    LaunchOptions options;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        auto takeValue = [&](QString &target) {
            if (qsizetype eq = word.indexOf(QLatin1Char('=')); eq >= 0) {
                target = word.mid(eq + 1);
            } else if (i + 1 < words.size()) {
                target = words[++i];
            } else {
                options.error = QStringLiteral("option %1 needs a value").arg(word);
            }
        };
        if (word == QLatin1String("--documents") || word.startsWith(QLatin1String("--documents="))) {
            takeValue(options.documents);
        } else if (word == QLatin1String("--addressbook") || word.startsWith(QLatin1String("--addressbook="))) {
            takeValue(options.addressbook);
        } else if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
            options.help = true;
        } else if (word == QLatin1String("--version")) {
            options.version = true;
        } else if (word.startsWith(QLatin1Char('-')) && word != QLatin1String("-")) {
            options.error = QStringLiteral("unknown option %1").arg(word);
        } else {
            options.command = word;
            options.commandArguments = words.mid(i + 1);
            break;
        }
        if (!options.error.isEmpty())
            break;
    }
    return options;
}
