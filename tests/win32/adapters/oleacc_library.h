#pragma once
// OLEACC.DLL loaded by name at run time, as the tray program's start-up loads it, and a
// stand-in for RegisterWindowMessageA that counts its calls.

#include <windows.h>

#include "handles.h"
#include "html_document_access.h"

namespace velkaro {

class OleaccLibrary {
public:
    OleaccLibrary() : module_(LoadLibraryA("OLEACC.DLL")) {}
    ObjectFromLresultFn ObjectFromLresult() const {
        return HtmlDocumentAccess::ObjectFromLresultOf(module_.get());
    }

private:
    ui::UniqueModule module_;
};

// Calls of CountingRegisterMessage since the counter was last cleared.
inline int& RegisterMessageCalls() {
    static int calls = 0;
    return calls;
}

inline UINT WINAPI CountingRegisterMessage(LPCSTR name) {
    ++RegisterMessageCalls();
    return RegisterWindowMessageA(name);
}

}  // namespace velkaro
