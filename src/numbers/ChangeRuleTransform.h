#pragma once

#include "NumberTransform.h"

#include <QByteArray>

#include <regex.h>

// Rewrites one number by a change rule. Wildcard masks: '?' stands for one character of the
// number, '@' at the start or end for any run of them; the digits and '#', '*', '+' of the mask
// (its literal part) pick the span that the action replaces, erases or (Prefix) ignores.
// Masks starting with 'r' or 'R' are POSIX extended regular expressions and the whole match is
// the span. The regular expression is compiled once per pass; a compile or match error logs
// "[E] regcomp …" / "[E] regexec …" for each number it meets and leaves the number alone.
class ChangeRuleTransform : public NumberTransform {
public:
    ChangeRuleTransform(const QByteArray &mask, const QByteArray &newNumber, int action);
    ~ChangeRuleTransform() override;
    ChangeRuleTransform(const ChangeRuleTransform &) = delete;
    ChangeRuleTransform &operator=(const ChangeRuleTransform &) = delete;

    QByteArray rewrite(const QByteArray &working) const override;

    // The inside of a mask that starts and ends with '@' is searched for as it is; longer
    // insides are passed over.
    static constexpr int kInsideCapacity = 49;

private:
    QByteArray applyAction(const QByteArray &working, qsizetype start, qsizetype end) const;
    QByteArray rewriteByExpression(const QByteArray &working) const;
    QByteArray rewriteByWildcards(const QByteArray &working) const;
    QByteArray rewriteFixed(const QByteArray &working) const;
    QByteArray rewriteOpenEnded(const QByteArray &working) const;

    QByteArray m_mask;
    QByteArray m_newNumber;
    int m_action;
    bool m_isExpression;
    // Wildcard masks: the mask's length when it holds no '@' (0 otherwise), its literal part,
    // and the positions of its first and last '?' (-1 without any).
    qsizetype m_fixedLength = 0;
    QByteArray m_literal;
    qsizetype m_firstQuery = -1;
    qsizetype m_lastQuery = -1;
    // Regular expressions.
    regex_t m_regex{};
    int m_compileError = 0;
};
