#pragma once

// The screen that opened the CSV header mapping (the import screen): told when the user
// confirms the mapping, after the mapping screen has closed.
class CSVHeaderDelegate {
public:
    virtual ~CSVHeaderDelegate() = default;
    virtual void beginImportCSV() = 0;
};
