#include "editor/Clipboard.h"

#include <cstring>

#include "base/text/CodePage.h"

namespace {

constexpr size_t kMostChars = 64u << 20;

// The clipboard opened for as long as it lives.
class COpenClipboard {
public:
    explicit COpenClipboard(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
    ~COpenClipboard()
    {
        if (m_open)
            CloseClipboard();
    }
    COpenClipboard(const COpenClipboard&) = delete;
    COpenClipboard& operator=(const COpenClipboard&) = delete;
    explicit operator bool() const { return m_open; }

private:
    bool m_open;
};

// A movable global block holding bytes, for the clipboard to own once it is given.
HGLOBAL BlockOf(const void* bytes, size_t size)
{
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return nullptr;
    void* at = GlobalLock(block);
    if (at == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(at, bytes, size);
    GlobalUnlock(block);
    return block;
}

bool Put(UINT format, const void* bytes, size_t size)
{
    const HGLOBAL block = BlockOf(bytes, size);
    if (block == nullptr)
        return false;
    if (SetClipboardData(format, block) == nullptr) {
        GlobalFree(block);
        return false;
    }
    return true;
}

} // namespace

bool PutClipboardText(HWND owner, const std::string& text)
{
    std::wstring wide;
    if (!Quorvel::Base::Text::ToWide(CP_THREAD_ACP, text, wide))
        return false;
    const COpenClipboard clipboard(owner);
    if (!clipboard || !EmptyClipboard())
        return false;
    return Put(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

bool ClipboardText(HWND owner, std::string& text)
{
    const COpenClipboard clipboard(owner);
    if (!clipboard)
        return false;
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr)
        return false;
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(data));
    if (wide == nullptr)
        return false;
    // Text longer than any sheet may be is not read at all.
    const size_t most = GlobalSize(data) / sizeof(wchar_t);
    if (most > kMostChars) {
        GlobalUnlock(data);
        return false;
    }
    const std::wstring copy(wide, wcsnlen(wide, most));
    GlobalUnlock(data);
    return Quorvel::Base::Text::ToNarrow(CP_THREAD_ACP, copy, text);
}
