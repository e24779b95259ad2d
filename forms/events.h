#pragma once
// The message loop and the processing of pending events in the middle of a handler.

namespace forms {

// Handles every message already queued for this thread (painting, timers, input), then returns.
// Keyboard navigation (Tab, Shift+Tab) is applied as in the main loop.
void DoEvents();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace forms
