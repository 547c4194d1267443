#pragma once

#include "NumberTransform.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

// The three format masks of the format-numbers screen. A '?' stands for one character of the
// number; every other character is copied as it is.
struct FormatMasks {
    std::array<QString, 3> masks;

    // The masks used when FormatMasks.plist cannot be read.
    static FormatMasks defaults();
    bool allEmpty() const;
    std::unique_ptr<NumberTransform> transform() const;
};

// Pours a working number into the first mask whose count of '?' equals the number's length,
// filling the '?' places from the end of the number backwards (so, read left to right, they
// hold the number's characters in order). No mask of that count: no result.
class FormatMaskTransform : public NumberTransform {
public:
    explicit FormatMaskTransform(const FormatMasks &masks);
    QByteArray rewrite(const QByteArray &working) const override;

private:
    struct Mask {
        QByteArray text;
        qsizetype digits = 0;
    };
    std::array<Mask, 3> m_masks;
};
