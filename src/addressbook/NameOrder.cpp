#include "NameOrder.h"

#include "ABPersonCompare.h"
#include "platform/Threads.h"

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

qsizetype NameOrder::size() const
{
    size_t count = 0;
    for (const Chunk &chunk : m_chunks)
        count += chunk.ends.size();
    return qsizetype(count);
}

void NameOrder::add(QStringView name)
{
    if (!m_collator)
        m_collator.reset(openNameCollator());
    if (m_chunks.empty())
        m_chunks.emplace_back();
    std::string &keys = m_chunks.back().keys;
    const size_t at = keys.size();
    const int32_t length = int32_t(name.size());
    const char16_t *text = length > 0 ? name.utf16() : u"";
    // Most keys are shorter than twice the name; a longer one is asked for again.
    size_t room = size_t(length) * 2 + 16;
    for (;;) {
        keys.resize(at + room);
        const int32_t needed =
            ucol_getSortKey(m_collator.get(), text, length, reinterpret_cast<uint8_t *>(keys.data() + at), int32_t(room));
        if (size_t(needed) <= room) {
            keys.resize(at + size_t(needed));
            break;
        }
        room = size_t(needed);
    }
    m_chunks.back().ends.push_back(keys.size());
}

void NameOrder::append(NameOrder &&other)
{
    for (Chunk &chunk : other.m_chunks)
        m_chunks.push_back(std::move(chunk));
    other = NameOrder();
}

std::vector<qsizetype> NameOrder::take()
{
    // Where each chunk's names begin in the list.
    std::vector<size_t> firsts;
    size_t count = 0;
    for (const Chunk &chunk : m_chunks) {
        firsts.push_back(count);
        count += chunk.ends.size();
    }
    auto keyOf = [&](qsizetype name) {
        size_t c = m_chunks.size() - 1;
        while (size_t(name) < firsts[c])
            --c;
        const Chunk &chunk = m_chunks[c];
        const size_t i = size_t(name) - firsts[c];
        const size_t begin = i == 0 ? 0 : chunk.ends[i - 1];
        return std::string_view(chunk.keys).substr(begin, chunk.ends[i] - begin);
    };
    auto before = [&](qsizetype x, qsizetype y) { return keyOf(x) < keyOf(y); };
    std::vector<qsizetype> order(count);
    std::iota(order.begin(), order.end(), qsizetype(0));
    const auto middle = order.begin() + qsizetype(count >= size_t(kTwoThreadsFrom) ? count / 2 : count);
    std::thread helper;
    if (middle != order.end()) {
        auto sortSecondHalf = [&] { std::stable_sort(middle, order.end(), before); };
        // Where no thread can be had, both halves are sorted here.
        helper = Threads::startIfPossible(sortSecondHalf);
        if (!helper.joinable())
            sortSecondHalf();
    }
    std::stable_sort(order.begin(), middle, before);
    if (helper.joinable())
        helper.join();
    // A stable merge: the first half's names go first among equals.
    std::inplace_merge(order.begin(), middle, order.end(), before);
    *this = NameOrder();
    return order;
}
