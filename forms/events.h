#pragma once
// The message loop and the processing of pending events in the middle of a handler.

namespace forms {

// Handles every message already queued for this thread (painting, timers, input), then returns.
// Keyboard navigation (Tab, Shift+Tab) is applied as in the main loop.
void DoEvents();

// Answers the messages other threads and programs have sent to this thread's windows, and nothing
// else: input, paint and timers stay queued. Long work calls it between its steps, as a thread waiting
// in SendMessage would, so the window never seems hung to them.
void AnswerSentMessages();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace forms
