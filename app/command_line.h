#pragma once
// The image path the program was started with.

#include <string>

namespace AppModul {

// Everything after the program's own name (quoted or not) and the blanks that follow it.
std::wstring CommandLineTail(const std::wstring& commandLine);

// The tail as a path: one pair of quotation marks around the whole text is removed, nothing else.
std::wstring StartPathFromTail(const std::wstring& tail);

}  // namespace AppModul
