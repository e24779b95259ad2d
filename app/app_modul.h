#pragma once
// Start-up of the program.

namespace AppModul {

// The name that lets only one instance run per user session.
inline constexpr wchar_t kInstanceName[] = L"Local\\BrenwickQuadrino.Instance";

// Refuses a second instance, fills the program environment, takes the command-line image and
// opens the first view. True when the main window is up and the message loop must run.
bool Main();

}  // namespace AppModul
