#include "sim/usb/VirtualTervaneChannel.h"

#include <cstdio>

#include "base/Win32.h"

namespace VirtualTervaneChannel {
namespace {

// An open registry key, closed when it goes.
class CKey {
public:
    CKey(const char* path, bool create)
    {
        const LONG status = create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                     &m_key, nullptr)
                                   : RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &m_key);
        m_status = status;
        if (status != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~CKey()
    {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    HKEY Get() const { return m_key; }
    LONG Status() const { return m_status; }

private:
    HKEY m_key = nullptr;
    LONG m_status = ERROR_SUCCESS;
};

bool SetCount(const char* name, uint32_t count, std::string& error)
{
    CKey key(VT_PARAMETERS_KEY, true);
    const DWORD value = count;
    const LONG status = key.Get() != nullptr ? RegSetValueExA(key.Get(), name, 0, REG_DWORD,
                                                              reinterpret_cast<const BYTE*>(&value), sizeof(value))
                                             : key.Status();
    if (status == ERROR_SUCCESS)
        return true;
    char text[160];
    std::snprintf(text, sizeof text, "cannot set %s of the virtual device (registry error %ld)", name, status);
    error = text;
    return false;
}

} // namespace

bool SetFailWrites(uint32_t count, std::string& error)
{
    return SetCount(VT_FAIL_WRITES, count, error);
}

bool SetHoldWrites(uint32_t count, std::string& error)
{
    return SetCount(VT_HOLD_WRITES, count, error);
}

bool ClearFaults(std::string& error)
{
    return SetFailWrites(0, error) && SetHoldWrites(0, error);
}

uint32_t RecordCount()
{
    CKey key(VT_RECORD_KEY, false);
    DWORD count = 0;
    DWORD size = sizeof(count);
    DWORD type = 0;
    if (key.Get() == nullptr ||
        RegQueryValueExA(key.Get(), VT_RECORD_COUNT, nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return count;
}

std::vector<VtRecordEntry> ReadRecord(uint32_t first)
{
    std::vector<VtRecordEntry> entries;
    CKey key(VT_RECORD_KEY, false);
    if (key.Get() == nullptr)
        return entries;
    const uint32_t count = RecordCount();
    for (uint32_t i = first; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%08u", i);
        VtRecordEntry entry = {};
        DWORD size = sizeof(entry);
        DWORD type = 0;
        // An entry that is not whole is the end of what can be read: the record has no gaps.
        if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&entry), &size) !=
                ERROR_SUCCESS ||
            type != REG_BINARY || size != sizeof(entry))
            break;
        entries.push_back(entry);
    }
    return entries;
}

bool ClearRecord(std::string& error)
{
    const LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, VT_RECORD_KEY);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return true;
    char text[120];
    std::snprintf(text, sizeof text, "cannot clear the virtual device's record (registry error %ld)", status);
    error = text;
    return false;
}

const char* OutcomeName(uint32_t outcome)
{
    switch (outcome) {
    case VT_TAKEN:
        return "taken";
    case VT_FAILED:
        return "failed";
    case VT_HELD:
        return "held";
    default:
        return "unknown";
    }
}

} // namespace VirtualTervaneChannel
