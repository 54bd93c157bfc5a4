#include "sim/ImportTable.h"

#include <cstring>

namespace {

bool SameName(const char* a, const char* b)
{
    return lstrcmpiA(a, b) == 0;
}

} // namespace

CImportTable::~CImportTable()
{
    Restore();
}

bool CImportTable::Write(void** entry, void* value)
{
    // The table may sit in a read-only section once the loader has bound it.
    DWORD previous = 0;
    if (!VirtualProtect(entry, sizeof(void*), PAGE_READWRITE, &previous))
        return false;
    *entry = value;
    VirtualProtect(entry, sizeof(void*), previous, &previous);
    return true;
}

int CImportTable::Redirect(HMODULE module, const std::vector<ImportRedirect>& redirects)
{
    m_missing.clear();
    std::vector<bool> found(redirects.size(), false);
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (base == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    // The module is of this process's own pointer size, so the native headers describe it.
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return 0;
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int changed = 0;
    if (directory.VirtualAddress != 0) {
        for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
             import->Name != 0; ++import) {
            const char* dll = reinterpret_cast<const char*>(base + import->Name);
            // The name table; a table bound without one names nothing that could be matched.
            if (import->OriginalFirstThunk == 0)
                continue;
            const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
            auto* entries = reinterpret_cast<void**>(base + import->FirstThunk);
            for (size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
                if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
                const char* name = reinterpret_cast<const char*>(byName->Name);
                for (size_t r = 0; r < redirects.size(); ++r) {
                    if (!SameName(dll, redirects[r].dll) || std::strcmp(name, redirects[r].name) != 0)
                        continue;
                    void* original = entries[i];
                    if (Write(&entries[i], redirects[r].replacement)) {
                        m_changed.push_back({module, &entries[i], original});
                        found[r] = true;
                        ++changed;
                    }
                }
            }
        }
    }
    for (size_t r = 0; r < redirects.size(); ++r)
        if (!found[r])
            m_missing.push_back(std::string(redirects[r].dll) + "!" + redirects[r].name);
    return changed;
}

void CImportTable::Restore()
{
    // A module freed since has no table left to put back.
    for (auto it = m_changed.rbegin(); it != m_changed.rend(); ++it) {
        HMODULE holder = nullptr;
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCWSTR>(it->entry), &holder) &&
            holder == it->module)
            Write(it->entry, it->original);
    }
    m_changed.clear();
}
