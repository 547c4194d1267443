#pragma once

// Receives a reader's or writer's progress. Readers and writers call it on their worker
// thread; a screen that implements it hands the values to the main thread itself
// (MainThread::callOnMainAndWait), so the worker waits until the display has them.
class ProgressTarget {
public:
    virtual ~ProgressTarget() = default;
    // A fraction from 0 to 1; 1 or more closes the progress sheet.
    virtual void setProgress(double value) { (void)value; }
    // A count of records read so far, for readers that cannot know the total.
    virtual void setNumberProgress(int count) { (void)count; }
    // The records are read; the address book is being saved.
    virtual void savingData() {}
};
