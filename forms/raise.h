#pragma once
// The one way a control raises an event.

#include <functional>
#include <utility>

namespace forms {

// Calls the handler through a copy, so it may replace itself or unload the form that owns the control.
// An empty handler does nothing and answers a default value.
template <class R, class... Params, class... Args>
R Raise(const std::function<R(Params...)>& handler, Args&&... args)
{
    const std::function<R(Params...)> copy = handler;
    if (!copy)
        return R();
    return copy(std::forward<Args>(args)...);
}

}  // namespace forms
