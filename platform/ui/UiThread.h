#pragma once
// The UI thread: the one thread that runs the application's event loop and touches windows.

#include <functional>

namespace orv::ui {

// True on the UI thread (also before the application has started, when only one thread runs).
bool IsUiThread();

// Runs the task on the UI thread after every message posted before it and waits for it to
// finish; on the UI thread it runs at once. False when the task could not run (no application).
bool RunOnUiThreadAndWait(const std::function<void()>& task);

}  // namespace orv::ui
