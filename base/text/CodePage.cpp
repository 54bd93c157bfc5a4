#include "base/text/CodePage.h"

#include <climits>

namespace Quorvel { namespace Base { namespace Text {

bool ToWide(UINT codePage, const std::string& text, std::wstring& wide, bool strict)
{
    wide.clear();
    if (text.empty())
        return true;
    if (text.size() > INT_MAX)
        return false;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int count = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), count, nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<size_t>(length));
    if (MultiByteToWideChar(codePage, flags, text.data(), count, &wide[0], length) != length) {
        wide.clear();
        return false;
    }
    return true;
}

bool ToNarrow(UINT codePage, const std::wstring& text, std::string& narrow)
{
    narrow.clear();
    if (text.empty())
        return true;
    if (text.size() > INT_MAX)
        return false;
    const int count = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    narrow.resize(static_cast<size_t>(length));
    if (WideCharToMultiByte(codePage, 0, text.data(), count, &narrow[0], length, nullptr, nullptr) != length) {
        narrow.clear();
        return false;
    }
    return true;
}

}}} // namespace Quorvel::Base::Text
