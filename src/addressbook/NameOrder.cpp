#include "NameOrder.h"

#include "ABPersonCompare.h"

#include <unicode/ucol.h>

#include <QByteArray>

#include <algorithm>
#include <numeric>
#include <string_view>
#include <thread>

namespace {

constexpr qsizetype kTwoThreadsFrom = 4096;

// An ICU collator set up as QCollator sets up its own for ABPersonNameCollator(): the same
// locale and attributes give the same keys, byte for byte. QCollator's keys cannot be read as
// bytes, and each one is two allocations.
UCollator *openNameCollator()
{
    const QCollator settings = ABPersonNameCollator();
    const QByteArray locale = settings.locale().bcp47Name().replace(u'-', u'_').toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    UCollator *collator = ucol_open(locale.constData(), &status);
    if (U_FAILURE(status))
        collator = ucol_open("", &(status = U_ZERO_ERROR));
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH,
                      settings.caseSensitivity() == Qt::CaseSensitive ? UCOL_DEFAULT_STRENGTH : UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, settings.numericMode() ? UCOL_ON : UCOL_OFF, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, settings.ignorePunctuation() ? UCOL_SHIFTED : UCOL_NON_IGNORABLE,
                      &status);
    return collator;
}

} // namespace

void NameOrder::CollatorCloser::operator()(UCollator *collator) const
{
    ucol_close(collator);
}

NameOrder::NameOrder() = default;
NameOrder::~NameOrder() = default;
NameOrder::NameOrder(NameOrder &&) noexcept = default;
NameOrder &NameOrder::operator=(NameOrder &&) noexcept = default;

void NameOrder::add(QStringView name)
{
    if (!m_collator)
        m_collator.reset(openNameCollator());
    const size_t at = m_keys.size();
    const int32_t length = int32_t(name.size());
    const char16_t *text = length > 0 ? name.utf16() : u"";
    // Most keys are shorter than twice the name; a longer one is asked for again.
    size_t room = size_t(length) * 2 + 16;
    for (;;) {
        m_keys.resize(at + room);
        const int32_t needed =
            ucol_getSortKey(m_collator.get(), text, length, reinterpret_cast<uint8_t *>(m_keys.data() + at), int32_t(room));
        if (size_t(needed) <= room) {
            m_keys.resize(at + size_t(needed));
            break;
        }
        room = size_t(needed);
    }
    m_ends.push_back(m_keys.size());
}

void NameOrder::append(NameOrder &&other)
{
    const size_t shift = m_keys.size();
    m_keys += other.m_keys;
    for (size_t end : other.m_ends)
        m_ends.push_back(shift + end);
    other = NameOrder();
}

std::vector<qsizetype> NameOrder::take()
{
    const qsizetype count = size();
    auto keyOf = [this](qsizetype name) {
        const size_t begin = name == 0 ? 0 : m_ends[size_t(name) - 1];
        return std::string_view(m_keys).substr(begin, m_ends[size_t(name)] - begin);
    };
    auto before = [&](qsizetype x, qsizetype y) { return keyOf(x) < keyOf(y); };
    std::vector<qsizetype> halves(static_cast<size_t>(count));
    std::iota(halves.begin(), halves.end(), qsizetype(0));
    const auto middle = halves.begin() + (count >= kTwoThreadsFrom ? count / 2 : count);
    std::thread helper;
    if (middle != halves.end())
        helper = std::thread([&] { std::stable_sort(middle, halves.end(), before); });
    std::stable_sort(halves.begin(), middle, before);
    if (helper.joinable())
        helper.join();
    // A stable merge: the first half's names go first among equals.
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::merge(halves.begin(), middle, middle, halves.end(), order.begin(), before);
    *this = NameOrder();
    return order;
}
