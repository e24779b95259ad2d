#include "forms/single_instance.h"

#include <windows.h>

namespace forms {

SingleInstance::SingleInstance(const std::wstring& name)
{
    mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    // Access denied means the name exists but belongs to another security context: still taken.
    anotherRunning_ = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

}  // namespace forms
