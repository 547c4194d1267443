#include "LanguageViewController.h"

#include "UiHost.h"
#include "UserDefaults.h"
#include "platform/Localization.h"

namespace {
const QString kAppleLanguages = QStringLiteral("AppleLanguages");
}

LanguageViewController::LanguageViewController(QObject *parent) : ScreenController(LanguageScreen, parent)
{
    ilang = currentChoice();
}

QString LanguageViewController::title() const
{
    return L("KLanguage");
}

QString LanguageViewController::header() const
{
    return L("KLangHeader");
}

QString LanguageViewController::footer() const
{
    return L("KLangFooter");
}

QStringList LanguageViewController::rows() const
{
    return {L("KLangSysDefault"), L("KLangEnglish"), L("KLangPortuguese")};
}

int LanguageViewController::currentChoice()
{
    const QStringList languages = UserDefaults::standardUserDefaults().stringArrayForKey(kAppleLanguages);
    // No list at all means the system chooses (the entry was removed, or never set).
    if (languages.isEmpty() || languages.size() >= 3)
        return SystemDefault;
    return languages.first() == QLatin1String("en") ? English : Portuguese;
}

void LanguageViewController::selectRow(int row)
{
    if (row < SystemDefault || row > Portuguese)
        return;
    ilang = row;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (row == English)
        defaults.setObject(QStringList{QStringLiteral("en"), QStringLiteral("pt")}, kAppleLanguages);
    else if (row == Portuguese)
        defaults.setObject(QStringList{QStringLiteral("pt"), QStringLiteral("en")}, kAppleLanguages);
    else
        defaults.removeObjectForKey(kAppleLanguages);
    defaults.synchronize();
    Q_EMIT changed();
    showInfo(L("KLangNotice"));
}
