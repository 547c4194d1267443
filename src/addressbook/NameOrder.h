#pragma once

#include <QStringView>

#include <memory>
#include <string>
#include <vector>

struct UCollator;

// Puts many names in the order of ABPersonNameCollator() without an allocation per name: each
// name's collation key is made as it is added (by the thread that adds it) and packed into one
// buffer, so a list of a million people costs tens of megabytes to sort, not hundreds. A long
// list is sorted in two halves on two threads, then merged.
class NameOrder {
public:
    NameOrder();
    ~NameOrder();
    NameOrder(NameOrder &&) noexcept;
    NameOrder &operator=(NameOrder &&) noexcept;

    void add(QStringView name);
    qsizetype size() const;
    // Adds the names of `other` after these, as if added here one by one.
    void append(NameOrder &&other);

    // The indexes of the names (0 for the first added) in collation order; names that compare
    // equal keep the order they were added in. The keys are let go.
    std::vector<qsizetype> take();

private:
    struct CollatorCloser {
        void operator()(UCollator *collator) const;
    };

    // The keys of names added one after the other, and where each key ends in `keys`.
    struct Chunk {
        std::string keys;
        std::vector<size_t> ends;
    };
    // Names are added to the last chunk. An appended list brings its own chunks: joining the
    // keys into one buffer would hold them twice for a moment, the largest allocation of a long
    // list.
    std::unique_ptr<UCollator, CollatorCloser> m_collator; // opened at the first name
    std::vector<Chunk> m_chunks;
};
