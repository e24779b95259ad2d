#pragma once
// Waits for window events without fixed sleeps: blocks until input arrives, then runs DoEvents.

#include <windows.h>

#include "forms/events.h"

namespace testsupport {

// Pumps until done() holds or about ten seconds of idle waiting went by; returns done().
template <typename Done>
bool PumpUntil(Done done)
{
    for (int round = 0; round < 1000 && !done(); ++round) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        forms::DoEvents();
    }
    return done();
}

}  // namespace testsupport
