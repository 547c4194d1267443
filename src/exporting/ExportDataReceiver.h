#pragma once

#include "addressbook/EntryData.h"

// A screen that takes the selection list's rows (the export screen): it acts on the ticked ones.
// The rows are shared with the list, so ticks changed on either side are seen by both.
class ExportDataReceiver {
public:
    virtual ~ExportDataReceiver() = default;
    virtual void setData(const EntryList &rows) = 0;
};
