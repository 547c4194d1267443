#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Fixed screen numbers (the registry's keys and each view's tag).
enum ScreenNumber : int {
    MainScreen = 1,
    CarrierScreen = 2,
    WebScreen = 3,
    HttpSrvScreen = 4,
    FileChooserScreen = 5,
    SendFileScreen = 6,
    ABEntriesScreen = 7,
    ExportFileScreen = 8,
    SettingsScreen = 9,
    FormatNumberScreen = 10,
    ABGroupsScreen = 11,
    ABGroupEntriesScreen = 12,
    RulesChooserScreen = 13,
    BTcliScreen = 14,
    FTChooserScreen = 15,
    BTsrvScreen = 16,
    CSVHeaderScreen = 17,
    QRCodeScreen = 18,
    ImpExpFiltersScreen = 19,
    LanguageScreen = 20,
    DuplicateSearchScreen = 21,
    MergeScreen = 22,
    GDLoginScreen = 23,  // the Google Drive sign-in
    GCLoginScreen = 24,  // the contacts account sign-in: made fresh each time, not by the registry
};

// The behaviour and state of one screen, without widgets. A view in src/gui draws it and
// forwards the user's actions; tests drive it directly with a recording UiHost.
//
// Lifecycle: the host calls viewWillAppear/viewDidAppear when the screen comes to the top and
// viewWillDisappear/viewDidDisappear when it leaves it. A screen that leaves with bCanRelease
// set is released from the registry (and deleted); a screen that pushes a child clears the flag
// first and sets it again when it reappears.
class ScreenController : public QObject {
    Q_OBJECT
public:
    explicit ScreenController(int screenNumber, QObject *parent = nullptr);
    ~ScreenController() override;

    int screenNumber() const { return m_screenNumber; }
    virtual QString title() const = 0;

    bool bCanRelease = true;

    virtual void viewWillAppear() {}
    virtual void viewDidAppear();
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear();

    bool isLocked() const { return m_locked; }
    // Whether a worker started by runOnWorker has not ended yet.
    bool hasRunningWorker() const { return m_workers > 0; }
    // Deletes the screen once none of its workers runs any more (at once when none does), so a
    // worker never calls a released screen.
    void deleteWhenIdle();

Q_SIGNALS:
    // The screen's state changed: the view redraws.
    void changed();
    void lockedChanged(bool locked);

protected:
    // Locks or unlocks this screen and tells the view. The window stays locked while any
    // screen holds its lock.
    void setLocked(bool locked);
    // Runs `work` on a worker thread and then `done` on the main thread; the screen outlives
    // both even when it is released meanwhile.
    void runOnWorker(std::function<void()> work, std::function<void()> done = {});
    // Pushes a registered screen, keeping this one alive while it is shown.
    void pushChild(ScreenController *child);

private:
    int m_screenNumber;
    bool m_locked = false;
    int m_workers = 0;
    bool m_deleteWhenIdle = false;
};
