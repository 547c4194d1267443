#pragma once

#include "NumberPass.h"
#include "NumberTransform.h"
#include "formats/common/ProgressSteps.h"
#include "shell/ScreenController.h"

#include <memory>

// What the two number screens share: Preview and Commit run the number rewriting pass on a
// worker thread behind the progress sheet, and the screen then shows the preview report over
// itself until Done.
//
// States: Editing (fields usable, Done disabled) -> Running (locked, sheet up) -> Report
// (report over the screen, Done enabled, back button hidden) -> Done -> Editing.
class NumberPassScreen : public ScreenController {
    Q_OBJECT
public:
    enum class State { Editing, Running, Report };
    // Button tags: the pass's commit flag is tag - PreviewTag.
    enum Tag { DoneTag = 1, PreviewTag = 2, CommitTag = 3 };

    State state() const { return m_state; }
    bool doneEnabled() const { return m_state == State::Report; }
    bool hidesBackButton() const { return m_state != State::Editing; }
    // The report every pass writes: preview.html in the documents folder.
    static QString reportPath();

    // Done (tag 1): back to editing, the report goes. Preview (tag 2) and Commit (tag 3): the
    // screen's input check, then the pass.
    virtual void buttonPressed(int tag) = 0;
    void done();

protected:
    NumberPassScreen(int screenNumber, QObject *parent);
    // Starts the pass (the caller has checked its input).
    void startPass(std::unique_ptr<NumberTransform> transform, int tag, bool showAll, bool logRecordCount);
    // "%s tag: %d  missing text"
    static void logMissingText(const char *method, int tag);

private:
    void setProgress(double value);
    void passEnded(const NumberPass::Outcome &outcome);
    void setState(State state);

    State m_state = State::Editing;
    bool m_sheetOpen = false;
    ProgressSteps m_progressSteps; // touched by the pass's worker only
};
