#pragma once
// Files that live in memory under one folder, for a program that feeds its own readers a
// great many inputs: its imports of the file functions are pointed at this store, which
// answers for paths below the folder (read only) and passes every other path and handle to
// the system. No server round trip per input, and nothing left on disk.
//
//     CMemoryFiles files("C:\\tervane-memory");
//     files.Attach(GetModuleHandleW(nullptr), error);
//     files.Put("C:\\tervane-memory\\in.tms", bytes);   // the reader opens it as any file
//
// One at a time in a process; single threaded.
#include <cstdint>
#include <map>
#include <string>

#include "base/Win32.h"
#include "sim/ImportTable.h"

class CMemoryFiles {
public:
    explicit CMemoryFiles(const std::string& folder);
    ~CMemoryFiles();
    CMemoryFiles(const CMemoryFiles&) = delete;
    CMemoryFiles& operator=(const CMemoryFiles&) = delete;

    // False, naming what is missing, when the module imports none of the file functions.
    bool Attach(HMODULE module, std::string& error);
    // Letter case aside, as Windows names files. The bytes are copied.
    void Put(const std::string& path, const std::string& bytes);
    void Remove(const std::string& path);
    void Clear();
    // Handles of memory files still open: a reader that leaks one is seen.
    size_t OpenHandles() const { return m_open.size(); }

    // The routed calls.
    bool IsInside(LPCSTR path) const;
    HANDLE Open(LPCSTR path, DWORD access, DWORD disposition);
    bool Owns(HANDLE handle) const { return m_open.count(handle) != 0; }
    BOOL Read(HANDLE handle, LPVOID out, DWORD size, LPDWORD read);
    BOOL Size(HANDLE handle, PLARGE_INTEGER size);
    BOOL Seek(HANDLE handle, LONGLONG distance, DWORD origin, LONGLONG& position);
    BOOL Close(HANDLE handle);
    DWORD Attributes(LPCSTR path) const;
    HANDLE FindFirst(LPCSTR path, LPWIN32_FIND_DATAA data);
    BOOL FindClose(HANDLE handle);

private:
    struct OpenFile {
        std::string key;
        LONGLONG position = 0;
    };
    static std::string Key(const std::string& path);

    std::string m_folder; // its key, with the backslash after it
    std::map<std::string, std::string> m_files;
    std::map<HANDLE, OpenFile> m_open;
    std::map<HANDLE, bool> m_finds;
    uintptr_t m_nextHandle = 0x71000000;
    CImportTable m_table;
};
