#pragma once
// Points entries of a loaded module's import address table at functions of this program, so
// that the module's own code runs unchanged against a stand-in for one system function.
// The module's file stays as it is; only its table in memory changes.
#include <string>
#include <vector>

#include "base/Win32.h"

// A system function itself, for a stand-in that passes calls on: once its own program's
// entries are redirected, a plain call of the function would come back to the stand-in.
template <typename Function>
Function SystemFunction(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name)));
}

struct ImportRedirect {
    const char* dll;  // as the module names it, letter case aside: "hid.dll"
    const char* name; // the function, imported by name
    void* replacement;
};

class CImportTable {
public:
    CImportTable() = default;
    // Puts back every entry it changed in a module that is still loaded.
    ~CImportTable();
    CImportTable(const CImportTable&) = delete;
    CImportTable& operator=(const CImportTable&) = delete;

    // Redirects every listed function that the module imports; the number of entries changed.
    // A listed function it does not import is left out (see Missing).
    int Redirect(HMODULE module, const std::vector<ImportRedirect>& redirects);
    // The listed functions that the last Redirect found no entry for.
    const std::vector<std::string>& Missing() const { return m_missing; }
    void Restore();

private:
    struct Changed {
        HMODULE module;
        void** entry;
        void* original;
    };
    static bool Write(void** entry, void* value);

    std::vector<Changed> m_changed;
    std::vector<std::string> m_missing;
};
