#pragma once
// Tells whether another instance of the program runs in this user session.

#include <string>

#include "forms/handles.h"

namespace forms {

class SingleInstance {
public:
    // Claims the named kernel object; "Local\" scopes it to the user's session.
    explicit SingleInstance(const std::wstring& name);
    // True when another process held the name before this one.
    bool AnotherIsRunning() const { return anotherRunning_; }

private:
    UniqueKernelHandle mutex_;
    bool anotherRunning_ = false;
};

}  // namespace forms
