#pragma once

#include "addressbook/ABContact.h"

// The merge screen: merges two people, in the order the selection list shows them.
class MergeReceiver {
public:
    virtual ~MergeReceiver() = default;
    virtual void setContact1AndContact2(const ABContactRef &contact1, const ABContactRef &contact2) = 0;
};
