#include "Arguments.h"

Arguments parseArguments(const QStringList &words, const QSet<QString> &valueOptions, const QSet<QString> &flags)
{
    Arguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (optionsEnded || !word.startsWith(QLatin1String("--")) || word == QLatin1String("-")) {
            parsed.positional.append(word);
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = word.mid(2);
        QString inlineValue;
        bool hasInline = false;
        if (qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
            hasInline = true;
        }
        if (valueOptions.contains(name)) {
            if (hasInline) {
                parsed.options.insert(name, inlineValue);
            } else if (i + 1 < words.size()) {
                parsed.options.insert(name, words[++i]);
            } else {
                parsed.error = QStringLiteral("option --%1 needs a value").arg(name);
                return parsed;
            }
        } else if (flags.contains(name) && !hasInline) {
            parsed.flags.insert(name);
        } else {
            parsed.error = QStringLiteral("unknown option --%1").arg(name);
            return parsed;
        }
    }
    return parsed;
}
