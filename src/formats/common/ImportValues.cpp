#include "ImportValues.h"

#include "platform/AsciiText.h"
#include "platform/LargePages.h"
#include "platform/Threads.h"

#include <QStringDecoder>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <utility>

QString ImportValues::markedLastName(const QString &last)
{
    return last + kMarker;
}

void ImportValues::appendMarker(const ABRecordRef &person)
{
    person->setValue(kABPersonLastNameProperty, markedLastName(person->copyText(kABPersonLastNameProperty)));
}

std::optional<QVariantMap> ImportValues::parseInstantMessage(const QString &text)
{
    static const std::array<std::pair<QString, QString>, 5> services{{
        {QStringLiteral(" (Yahoo)"), kABPersonInstantMessageServiceYahoo},
        {QStringLiteral(" (AIM)"), kABPersonInstantMessageServiceAIM},
        {QStringLiteral(" (Jabber)"), kABPersonInstantMessageServiceJabber},
        {QStringLiteral(" (MSN)"), kABPersonInstantMessageServiceMSN},
        {QStringLiteral(" (ICQ)"), kABPersonInstantMessageServiceICQ},
    }};
    for (const auto &[suffix, service] : services) {
        qsizetype at = text.indexOf(suffix, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        if (at == 0)
            return std::nullopt;
        return QVariantMap{{kABPersonInstantMessageServiceKey, service},
                           {kABPersonInstantMessageUsernameKey, text.left(at)}};
    }
    return std::nullopt;
}

QDate ImportValues::dayFromText(const QString &text, bool dashes)
{
    const qsizetype monthAt = dashes ? 5 : 4;
    const qsizetype dayAt = dashes ? 8 : 6;
    auto number = [&text](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    if (text.size() == dayAt + 2 && (!dashes || (text[4] == u'-' && text[7] == u'-'))) {
        const int year = number(0, 4);
        const int month = number(monthAt, 2);
        const int day = number(dayAt, 2);
        // Year 0 does not exist; Qt's parser has its own view of it.
        if (year > 0 && month >= 0 && day >= 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(text, dashes ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyyMMdd"));
}

std::optional<QDateTime> ImportValues::parseDate(const QString &text)
{
    QDate date = dayFromText(text, true);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(12, 0), QTimeZone::utc());
}

namespace {

// Texts this long and longer (a whole file) are decoded in two halves at once.
constexpr qsizetype kDecodedInHalves = qsizetype(4) << 20;

// The UTF-16 units that valid UTF-8 decodes to: one for each character, two for each beyond
// the first 65,536, which take four bytes.
qsizetype utf16Units(QByteArrayView utf8)
{
    qsizetype units = 0;
    for (const char c : utf8) {
        const uchar byte = uchar(c);
        units += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
    }
    return units;
}

// Decodes `bytes` into `out`, which has room for decoderSpace(bytes) units; the end of what
// was written, or none for bytes not valid in the character set.
std::optional<QChar *> decodeInto(QChar *out, QByteArrayView bytes, bool latin1)
{
    if (latin1)
        return std::transform(bytes.begin(), bytes.end(), out, [](char c) { return QChar(char16_t(uchar(c))); });
    // A byte-order mark is taken off beforehand: a no-break space here is text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QChar *end = decoder.appendToBuffer(out, bytes);
    return decoder.hasError() ? std::nullopt : std::optional<QChar *>(end);
}

qsizetype decoderSpace(QByteArrayView bytes, bool latin1)
{
    return latin1 ? bytes.size() : QStringDecoder(QStringDecoder::Utf8).requiredSpace(bytes.size());
}

} // namespace

std::optional<QString> ImportValues::decodeText(QByteArrayView bytes, int charSet)
{
    // ASCII, most values, reads the same in both character sets.
    const bool latin1 = charSet != 0 || AsciiText::isAscii(bytes);
    if (!latin1 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // A long text is cut between two characters; the second half is decoded on a thread of its
    // own, right after where the first half's characters will end.
    qsizetype split = bytes.size() < kDecodedInHalves ? bytes.size() : bytes.size() / 2;
    while (!latin1 && split < bytes.size() && (uchar(bytes[split]) & 0xC0) == 0x80)
        ++split;
    const QByteArrayView first = bytes.first(split);
    const QByteArrayView second = bytes.sliced(split);
    // The first half's length is told by counting, which holds for valid UTF-8 only.
    if (!second.isEmpty() && !latin1 && !first.isValidUtf8())
        return std::nullopt;
    const qsizetype firstUnits = second.isEmpty() ? decoderSpace(first, latin1) : latin1 ? first.size() : utf16Units(first);
    QString text(firstUnits + (second.isEmpty() ? 0 : decoderSpace(second, latin1)), Qt::Uninitialized);
    // Decoded into a buffer made here, so that the text of a whole file may have large pages.
    LargePages::advise(text.data(), text.size() * qsizetype(sizeof(QChar)));
    QChar *const secondStart = text.data() + firstUnits;
    std::optional<QChar *> firstEnd;
    std::optional<QChar *> secondEnd = secondStart;
    auto decodeFirst = [&] { firstEnd = decodeInto(text.data(), first, latin1); };
    if (second.isEmpty())
        decodeFirst();
    else
        Threads::bothAtOnce(decodeFirst, [&] { secondEnd = decodeInto(secondStart, second, latin1); });
    if (!firstEnd || !secondEnd)
        return std::nullopt;
    text.truncate((second.isEmpty() ? *firstEnd : *secondEnd) - text.constData());
    return text;
}
