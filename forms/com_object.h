#pragma once
// The IUnknown part of a small COM object: an atomic reference count and QueryInterface for the
// interfaces it lists, so each object writes only its own methods.

#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>
#include <tuple>
#include <utility>

namespace forms {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // A new object whose first reference lives in the returned pointer.
    template <class Object, class Interface = std::tuple_element_t<0, std::tuple<Interfaces...>>, class... Args>
    static Microsoft::WRL::ComPtr<Interface> Make(Args&&... args)
    {
        Microsoft::WRL::ComPtr<Interface> result;
        result.Attach(static_cast<Interface*>(std::make_unique<Object>(std::forward<Args>(args)...).release()));
        return result;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
        *object = nullptr;
        const auto offer = [&](void* pointer, REFIID id) {
            if (!*object && iid == id)
                *object = pointer;
        };
        offer(static_cast<IUnknown*>(static_cast<First*>(this)), IID_IUnknown);
        (offer(static_cast<Interfaces*>(this), __uuidof(Interfaces)), ...);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            std::unique_ptr<ComObject> last(this);
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace forms
