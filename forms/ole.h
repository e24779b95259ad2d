#pragma once
// RAII owners for OLE: the thread's apartment and a storage medium handed over by a data object.

#include <windows.h>
#include <ole2.h>

namespace forms {

// OleInitialize for the scope; OleUninitialize only when it succeeded.
class OleScope {
public:
    OleScope() : result_(OleInitialize(nullptr)) {}
    ~OleScope()
    {
        if (SUCCEEDED(result_))
            OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    HRESULT Result() const { return result_; }
    bool Succeeded() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

// A STGMEDIUM given back to its owner (ReleaseStgMedium) on scope exit.
class UniqueStgMedium {
public:
    UniqueStgMedium() = default;
    ~UniqueStgMedium() { ReleaseStgMedium(&medium_); }
    UniqueStgMedium(const UniqueStgMedium&) = delete;
    UniqueStgMedium& operator=(const UniqueStgMedium&) = delete;
    STGMEDIUM* put() { return &medium_; }  // for IDataObject::GetData
    const STGMEDIUM& get() const { return medium_; }

private:
    STGMEDIUM medium_{};
};

}  // namespace forms
