#pragma once
// IITStorage: the storage object of itss.dll, Windows' own reader of compiled help files (the
// one HTML Help reads velkaro.chm with). MinGW ships no header for it; the layout is that of
// the interface Windows registers (IID 88cc31de-27ab-11d0-9df9-00a0c922e6ec).

#include <windows.h>
#include <objbase.h>

namespace velkaro::help_test {

// {5d02926a-212e-11d0-9df9-00a0c922e6ec}
inline constexpr CLSID kClsidItStorage = {
    0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
// {88cc31de-27ab-11d0-9df9-00a0c922e6ec}
inline constexpr IID kIidItStorage = {
    0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// Only StgOpenStorage is called; the methods before it keep the table's order.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR* name, DWORD mode,
                                                       DWORD reserved, IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode,
                                                                   DWORD reserved,
                                                                   IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR* name, IStorage* priority,
                                                     DWORD mode, SNB exclude, DWORD reserved,
                                                     IStorage** storage) = 0;
};

}  // namespace velkaro::help_test
