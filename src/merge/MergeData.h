#pragma once

#include <QList>
#include <QString>

#include <memory>

// One row of the merge screen: one value of one of the two people, or one value both share.
struct MergeData {
    int propertyID = 0;     // the address book property, or kMergePictureProperty
    int contactIndex = 0;   // 0 the first person, 1 the second
    int propertyIndex = -1; // multi-value rows: the entry's position in that person's list
    bool selected = false;
    bool singleselection = false; // one value per property: at most one of the two rows ticked
    bool shared = false;          // both people have this very value
    bool dim = false;             // faded: the partner row is ticked

    MergeData() = default;
    MergeData(int property, int contact, bool singleSelection, bool isSelected, bool isShared)
        : propertyID(property), contactIndex(contact), selected(isSelected), singleselection(singleSelection), shared(isShared)
    {
    }
};

using MergeDataRef = std::shared_ptr<MergeData>;

// The property number of a person's picture on the merge screen.
inline constexpr int kMergePictureProperty = 555;

struct MergeSection {
    QString header;
    QList<MergeDataRef> data;
};
