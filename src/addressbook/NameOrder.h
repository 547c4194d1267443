#pragma once

#include <QStringView>

#include <vector>

// Puts many names in the order of ABPersonNameCollator() without an allocation per name: the
// names, then their collation keys, are packed in one buffer each, so a list of a million
// people costs tens of megabytes to sort, not hundreds. A long list has its keys made and
// sorted in two halves on two threads, then merged.
class NameOrder {
public:
    void add(QStringView name);
    // Adds the names of `other` after these, as if added here one by one.
    void append(NameOrder &&other);
    qsizetype size() const { return qsizetype(m_ends.size()); }

    // The indexes of the names (0 for the first added) in collation order; names that compare
    // equal keep the order they were added in. The names are let go.
    std::vector<qsizetype> take();

private:
    std::vector<char16_t> m_text;
    std::vector<size_t> m_ends; // where each name ends in m_text
};
