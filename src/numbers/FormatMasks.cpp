#include "FormatMasks.h"

FormatMasks FormatMasks::defaults()
{
    return {{QStringLiteral("(????\?) ???\?-????"), QStringLiteral("(????\?) ??\?-????"), QStringLiteral("(?\?) ???\?-????")}};
}

bool FormatMasks::allEmpty() const
{
    return masks[0].isEmpty() && masks[1].isEmpty() && masks[2].isEmpty();
}

std::unique_ptr<NumberTransform> FormatMasks::transform() const
{
    return std::make_unique<FormatMaskTransform>(*this);
}

FormatMaskTransform::FormatMaskTransform(const FormatMasks &masks)
{
    for (size_t index = 0; index < m_masks.size(); ++index) {
        m_masks[index].text = masks.masks[index].toUtf8();
        m_masks[index].digits = m_masks[index].text.count('?');
    }
}

QByteArray FormatMaskTransform::rewrite(const QByteArray &working) const
{
    for (const Mask &mask : m_masks) {
        if (mask.digits == 0 || mask.digits != working.size())
            continue;
        QByteArray result = mask.text;
        qsizetype next = working.size();
        for (qsizetype index = result.size() - 1; index >= 0; --index) {
            if (result.at(index) == '?')
                result[index] = working.at(--next);
        }
        return result;
    }
    return QByteArray();
}
