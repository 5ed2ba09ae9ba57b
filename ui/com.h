#pragma once
// RAII for COM: the apartment of a thread, interface pointers, BSTRs and VARIANTs.

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace velkaro::ui {

// CoInitialize for the scope; CoUninitialize only when the initialisation succeeded.
class ComApartment {
public:
    ComApartment() : result_(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

// Owns one reference of an interface; Release when it goes.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already owns (no AddRef).
    explicit ComPtr(Interface* owned) : p_(owned) {}
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For calls that deliver a new reference through Interface**: releases the old one first.
    Interface** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    Interface* p_ = nullptr;
};

// Owns a BSTR; SysFreeString when it goes.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(BSTR owned) : s_(owned) {}
    ~Bstr() { reset(); }
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset();
            s_ = std::exchange(other.s_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return s_; }
    // Characters, without the terminator (a null BSTR is empty).
    UINT length() const { return s_ ? SysStringLen(s_) : 0; }
    // For out-parameters of type BSTR*: frees the old string first.
    BSTR* put() {
        reset();
        return &s_;
    }
    void reset() {
        if (s_) SysFreeString(std::exchange(s_, nullptr));
    }

private:
    BSTR s_ = nullptr;
};

// A VARIANT that is cleared when it goes.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &v_; }
    const VARIANT& value() const { return v_; }

private:
    VARIANT v_;
};

}  // namespace velkaro::ui
