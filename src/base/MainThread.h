#pragma once

#include <functional>

// Running work on the right thread while the main event loop keeps going.
namespace MainThread {

bool isMainThread();

// Runs the call on the main thread and waits for it (a direct call when already there).
void callAndWait(const std::function<void()>& call);

// Keeps the main event loop running for the given time.
void runLoopFor(double seconds);

// Runs the work on a helper thread and returns when it is done; meanwhile the calling (main)
// thread keeps its event loop running, so windows stay drawn and timers fire.
void runBesideLoop(const std::function<void()>& work);

}  // namespace MainThread
