#include "ChangeRuleTransform.h"

#include "ChangeRule.h"
#include "platform/DevLog.h"

namespace {

void logRegexError(const char *call, int code, const regex_t *regex)
{
    char text[256];
    const size_t length = regerror(code, regex, text, sizeof text);
    DevLog::log(QStringLiteral("[E] %1 %2 %3 %4").arg(QLatin1String(call)).arg(code).arg(length).arg(QString::fromLocal8Bit(text)));
}

} // namespace

ChangeRuleTransform::ChangeRuleTransform(const QByteArray &mask, const QByteArray &newNumber, int action)
    : m_mask(mask), m_newNumber(newNumber), m_action(action),
      m_isExpression(!mask.isEmpty() && (mask.front() == 'r' || mask.front() == 'R'))
{
    if (m_isExpression) {
        m_compileError = regcomp(&m_regex, mask.mid(1).constData(), REG_EXTENDED);
        return;
    }
    if (!mask.contains('@'))
        m_fixedLength = mask.size();
    for (qsizetype index = 0; index < mask.size(); ++index) {
        const char c = mask.at(index);
        if (c == '?') {
            if (m_firstQuery < 0)
                m_firstQuery = index;
            m_lastQuery = index;
        } else if ((c >= '0' && c <= '9') || c == '#' || c == '*' || c == '+') {
            m_literal.append(c);
        }
    }
}

ChangeRuleTransform::~ChangeRuleTransform()
{
    if (m_isExpression && m_compileError == 0)
        regfree(&m_regex);
}

QByteArray ChangeRuleTransform::rewrite(const QByteArray &working) const
{
    return m_isExpression ? rewriteByExpression(working) : rewriteByWildcards(working);
}

QByteArray ChangeRuleTransform::applyAction(const QByteArray &working, qsizetype start, qsizetype end) const
{
    switch (m_action) {
    case ChangeRule::Prefix: return m_newNumber + working;
    case ChangeRule::Replace: return working.left(start) + m_newNumber + working.mid(end);
    case ChangeRule::Erase: return working.left(start) + working.mid(end);
    default: return QByteArray();
    }
}

QByteArray ChangeRuleTransform::rewriteByExpression(const QByteArray &working) const
{
    if (m_compileError != 0) {
        logRegexError("regcomp", m_compileError, &m_regex);
        return QByteArray();
    }
    regmatch_t slots[7];
    const int status = regexec(&m_regex, working.constData(), 7, slots, 0);
    if (status == REG_NOMATCH)
        return QByteArray();
    if (status != 0) {
        logRegexError("regexec", status, &m_regex);
        return QByteArray();
    }
    return applyAction(working, slots[0].rm_so, slots[0].rm_eo);
}

QByteArray ChangeRuleTransform::rewriteByWildcards(const QByteArray &working) const
{
    const qsizetype length = working.size();
    const qsizetype maskLength = m_mask.size();
    if (length < 1 || maskLength < 1 || (m_fixedLength != 0 && length != m_fixedLength))
        return QByteArray();
    const QByteArray fixed = m_fixedLength > 0 ? rewriteFixed(working) : QByteArray();
    if (maskLength == 1)
        return m_action == ChangeRule::Prefix ? m_newNumber + working : fixed;
    if (m_mask.front() == '@' || m_mask.back() == '@')
        return rewriteOpenEnded(working);
    return fixed;
}

QByteArray ChangeRuleTransform::rewriteFixed(const QByteArray &working) const
{
    qsizetype start = -1;
    qsizetype end = -1;
    for (qsizetype index = 0; index < m_mask.size(); ++index) {
        const char c = m_mask.at(index);
        if (c == '?')
            continue;
        if (c != working.at(index))
            return QByteArray();
        if (start < 0)
            start = index;
        end = index + 1;
    }
    if (start < 0 && m_action != ChangeRule::Prefix)
        return QByteArray();
    return applyAction(working, start, end);
}

QByteArray ChangeRuleTransform::rewriteOpenEnded(const QByteArray &working) const
{
    const qsizetype length = working.size();
    const qsizetype literal = m_literal.size();
    const bool hasQuery = m_firstQuery >= 0;
    const bool openStart = m_mask.front() == '@';
    const bool openEnd = m_mask.back() == '@';

    if (openStart && openEnd) {
        const QByteArray inside = m_mask.mid(1, m_mask.size() - 2);
        if (inside.size() > kInsideCapacity)
            return QByteArray();
        const qsizetype at = working.indexOf(inside);
        return at < 0 ? QByteArray() : applyAction(working, at, at + inside.size());
    }
    if (openStart) {
        if (!hasQuery) {
            if (length > literal && working.endsWith(m_literal))
                return applyAction(working, length - literal, length);
            return QByteArray();
        }
        // The '?' count as one run at the end of the mask.
        const qsizetype run = m_lastQuery - m_firstQuery + 1;
        if (length >= run + literal && working.mid(length - run - literal, literal) == m_literal)
            return applyAction(working, length - run - literal, length - run);
        return QByteArray();
    }
    if (!hasQuery)
        return working.startsWith(m_literal) ? applyAction(working, 0, literal) : QByteArray();
    // The '?' count as one run at the start of the mask.
    const qsizetype start = m_lastQuery + 1;
    if (length >= start + literal && working.mid(start, literal) == m_literal)
        return applyAction(working, start, start + literal);
    return QByteArray();
}
