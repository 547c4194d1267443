#include "NumberPassScreen.h"

#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/Documents.h"
#include "shell/MainThread.h"
#include "shell/UiHost.h"

#include <QPointer>

NumberPassScreen::NumberPassScreen(int screenNumber, QObject *parent) : ScreenController(screenNumber, parent) {}

QString NumberPassScreen::reportPath()
{
    return Documents::filePath(QStringLiteral("preview.html"));
}

void NumberPassScreen::logMissingText(const char *method, int tag)
{
    DevLog::log(QStringLiteral("%1 tag: %2  missing text").arg(QLatin1String(method)).arg(tag));
}

void NumberPassScreen::startPass(std::unique_ptr<NumberTransform> transform, int tag, bool showAll, bool logRecordCount)
{
    setState(State::Running);
    setLocked(true);
    m_sheetOpen = true;
    m_progressSteps.reset();
    if (UiHost *host = UiHost::current()) {
        host->showProgress(L("KScanningPhoneBook"), false);
        host->setProgress(0);
    }
    NumberPass::Request request;
    request.commit = tag == CommitTag;
    request.showAll = showAll;
    request.logRecordCount = logRecordCount;
    request.reportPath = reportPath();
    request.progress = [this](double value) { setProgress(value); };
    auto outcome = std::make_shared<NumberPass::Outcome>();
    // The screen outlives its worker (ScreenController::runOnWorker).
    runOnWorker(
        [request, outcome, transform = std::shared_ptr<NumberTransform>(std::move(transform))]() mutable {
            request.transform = transform.get();
            *outcome = NumberPass::run(request);
        },
        [this, outcome] { passEnded(*outcome); });
}

void NumberPassScreen::setProgress(double value)
{
    if (!m_progressSteps.moves(value))
        return;
    QPointer<NumberPassScreen> self(this);
    MainThread::callOnMainAndWait([self, value] {
        if (!self || !self->m_sheetOpen)
            return;
        if (UiHost *host = UiHost::current())
            host->setProgress(value);
        if (value >= 1)
            self->m_sheetOpen = false;
    });
}

void NumberPassScreen::passEnded(const NumberPass::Outcome &outcome)
{
    if (m_sheetOpen) {
        m_sheetOpen = false;
        if (UiHost *host = UiHost::current())
            host->closeProgress();
    }
    setLocked(false);
    switch (outcome.failure) {
    case NumberPass::Outcome::Failure::Report:
        setState(State::Editing);
        showError(L("KErrWritePreview").arg(outcome.error));
        return;
    case NumberPass::Outcome::Failure::Save:
        setState(State::Report);
        showError(L("KErrNumbersNotSaved").arg(outcome.error));
        return;
    case NumberPass::Outcome::Failure::AddressBook:
    case NumberPass::Outcome::Failure::None:
        setState(State::Report);
        return;
    }
}

void NumberPassScreen::done()
{
    if (m_state != State::Report)
        return;
    setState(State::Editing);
}

void NumberPassScreen::setState(State state)
{
    m_state = state;
    Q_EMIT changed();
}
