#pragma once

#include <QString>
#include <QStringList>

// Every user-visible text is looked up by its K… key. The English table is the default;
// the Portuguese one is used when the language chosen at start is "pt". Tables live in
// resources/strings/<language>.tsv ("KEY<TAB>text", with \n, \t and \\ escapes).
namespace Localization {
// The text of `key` in the current language, the English text when the current table lacks
// it, and the key itself when no table has it.
QString text(const char *key);
void setLanguage(const QString &language);
QString language();
// Every key of a table ("en", "pt").
QStringList keys(const QString &language);
}

inline QString L(const char *key)
{
    return Localization::text(key);
}
