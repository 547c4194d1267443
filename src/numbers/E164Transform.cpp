#include "E164Transform.h"

#include <phonenumbers/phonenumberutil.h>

#include <set>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

E164Transform::E164Transform(const QString &region) : m_region(region.toUpper().toStdString())
{
}

QByteArray E164Transform::rewrite(const QByteArray &working) const
{
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    if (util.Parse(working.toStdString(), m_region, &number) != PhoneNumberUtil::NO_PARSING_ERROR || !util.IsValidNumber(number))
        return {};
    std::string international;
    util.Format(number, PhoneNumberUtil::E164, &international);
    if (international == working.toStdString())
        return {};
    return QByteArray::fromStdString(international);
}

bool E164Transform::isKnownRegion(const QString &region)
{
    std::set<std::string> regions;
    PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
    return regions.count(region.toUpper().toStdString()) > 0;
}
