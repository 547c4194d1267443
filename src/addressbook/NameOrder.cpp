#include "NameOrder.h"

#include "ABPersonCompare.h"

#include <unicode/ucol.h>

#include <QByteArray>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr qsizetype kTwoThreadsFrom = 4096;

struct CollatorCloser {
    void operator()(UCollator *collator) const { ucol_close(collator); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

// An ICU collator set up as QCollator sets up its own for ABPersonNameCollator(): the same
// locale and attributes give the same keys, byte for byte. QCollator's keys cannot be read as
// bytes, and each one is two allocations.
Collator openNameCollator()
{
    const QCollator settings = ABPersonNameCollator();
    const QByteArray locale = settings.locale().bcp47Name().replace(u'-', u'_').toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open(locale.constData(), &status));
    if (U_FAILURE(status))
        collator.reset(ucol_open("", &(status = U_ZERO_ERROR)));
    UCollator *c = collator.get();
    ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(c, UCOL_STRENGTH, settings.caseSensitivity() == Qt::CaseSensitive ? UCOL_DEFAULT_STRENGTH : UCOL_SECONDARY,
                      &status);
    ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, settings.numericMode() ? UCOL_ON : UCOL_OFF, &status);
    ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, settings.ignorePunctuation() ? UCOL_SHIFTED : UCOL_NON_IGNORABLE, &status);
    return collator;
}

// The names from..to in order of their keys, made with a collator of its own (one is not to
// be shared between threads).
class SortedHalf {
public:
    std::vector<qsizetype> order; // indexes of all names

    std::string_view keyOf(qsizetype name) const
    {
        const size_t index = size_t(name - m_from);
        const size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_keys).substr(begin, m_ends[index] - begin);
    }

    void sort(const std::vector<char16_t> &text, const std::vector<size_t> &ends, qsizetype from, qsizetype to)
    {
        m_from = from;
        const Collator collator = openNameCollator();
        m_ends.reserve(size_t(to - from));
        for (qsizetype name = from; name < to; ++name) {
            const size_t begin = name == 0 ? 0 : ends[size_t(name) - 1];
            const int32_t length = int32_t(ends[size_t(name)] - begin);
            appendKey(collator.get(), length > 0 ? text.data() + begin : u"", length);
        }
        order.resize(size_t(to - from));
        std::iota(order.begin(), order.end(), from);
        std::stable_sort(order.begin(), order.end(), [this](qsizetype x, qsizetype y) { return keyOf(x) < keyOf(y); });
    }

private:
    void appendKey(const UCollator *collator, const char16_t *name, int32_t length)
    {
        const size_t at = m_keys.size();
        // Most keys are shorter than twice the name; a longer one is asked for again.
        size_t room = size_t(length) * 2 + 16;
        for (;;) {
            m_keys.resize(at + room);
            const int32_t needed = ucol_getSortKey(collator, name, length, reinterpret_cast<uint8_t *>(m_keys.data() + at),
                                                   int32_t(room));
            if (size_t(needed) <= room) {
                m_keys.resize(at + size_t(needed));
                break;
            }
            room = size_t(needed);
        }
        m_ends.push_back(m_keys.size());
    }

    qsizetype m_from = 0;
    std::string m_keys;
    std::vector<size_t> m_ends;
};

} // namespace

void NameOrder::add(QStringView name)
{
    m_text.insert(m_text.end(), name.utf16(), name.utf16() + name.size());
    m_ends.push_back(m_text.size());
}

void NameOrder::append(NameOrder &&other)
{
    const size_t shift = m_text.size();
    m_text.insert(m_text.end(), other.m_text.begin(), other.m_text.end());
    for (size_t end : other.m_ends)
        m_ends.push_back(shift + end);
    other = NameOrder();
}

std::vector<qsizetype> NameOrder::take()
{
    const qsizetype count = size();
    const qsizetype half = count >= kTwoThreadsFrom ? count / 2 : count;
    SortedHalf first;
    SortedHalf second;
    std::thread helper;
    if (half < count)
        helper = std::thread([&] { second.sort(m_text, m_ends, half, count); });
    first.sort(m_text, m_ends, 0, half);
    if (helper.joinable())
        helper.join();
    m_text = {};
    m_ends = {};
    std::vector<qsizetype> order(static_cast<size_t>(count));
    auto keyOf = [&](qsizetype name) { return name < half ? first.keyOf(name) : second.keyOf(name); };
    // A stable merge: the first half's names go first among equals.
    std::merge(first.order.begin(), first.order.end(), second.order.begin(), second.order.end(), order.begin(),
               [&](qsizetype x, qsizetype y) { return keyOf(x) < keyOf(y); });
    return order;
}
