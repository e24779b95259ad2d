#pragma once
// What a list offers to be searched and selected by name.

#include <string>

namespace forms {

class SelectableList {
public:
    virtual ~SelectableList() = default;
    virtual void Refresh() = 0;                      // re-read the content
    virtual int ListCount() const = 0;               // number of entries
    virtual std::wstring List(int index) const = 0;  // text of an entry, 0-based
    virtual void SetSelected(int index) = 0;         // select an entry, raising the list's click event
};

}  // namespace forms
