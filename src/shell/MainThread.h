#pragma once

#include <functional>

// Work that a screen runs in the background, and the way back to the main thread.
namespace MainThread {
// Runs `call` on the main thread and waits for it (runs it at once on the main thread), so a
// worker never runs ahead of the display. Without an application object it runs directly.
void callOnMainAndWait(const std::function<void()> &call);
// Starts `work` on a new worker thread; `done` (optional) then runs on the main thread. The
// worker counts as running (Operations) until `done` has returned.
void runOnWorker(std::function<void()> work, std::function<void()> done = {});
bool isMainThread();
}
