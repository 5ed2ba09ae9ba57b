#pragma once
// FakeDispatch: IUnknown and IDispatch for the COM fakes of a browser document, with a
// reference count that deletes the object at its last Release. The objects answer
// QueryInterface for IUnknown, IDispatch and the interfaces the derived class names;
// IDispatch has no type information (the type-library marshaller takes the interfaces'
// layout from the registered type library, not from the object).
//
// Single-threaded: an object lives in the apartment of the thread that made it, and calls
// from other apartments or processes reach it through that thread's message loop.

#include <windows.h>
#include <oleauto.h>

namespace velkaro {

template <typename Interface>
class FakeDispatch : public Interface {
public:
    FakeDispatch(const FakeDispatch&) = delete;
    FakeDispatch& operator=(const FakeDispatch&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !Offers(iid)) {
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return ULONG(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

protected:
    // Starts with the one reference of its creator.
    FakeDispatch() = default;
    virtual ~FakeDispatch() = default;
    // The interfaces beside IUnknown and IDispatch that the object answers for.
    virtual bool Offers(REFIID iid) const = 0;

private:
    long references_ = 1;
};

}  // namespace velkaro
