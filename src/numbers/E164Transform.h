#pragma once

#include "NumberTransform.h"

#include <QString>

#include <string>

// Rewrites a number into the international E.164 form ("+" and the full number) as
// libphonenumber reads it for a home region: a national number gains the region's country
// code, an international one ("+…" or the region's international prefix) keeps its own.
// Numbers the library does not take for a valid number, and those already in that form, are
// left alone: a number turned into the wrong international one would be a lost number.
class E164Transform : public NumberTransform {
public:
    explicit E164Transform(const QString &region);
    QByteArray rewrite(const QByteArray &working) const override;

    // Whether libphonenumber knows `region` (two letters of ISO 3166-1, any case: "DE").
    static bool isKnownRegion(const QString &region);

private:
    std::string m_region;
};
