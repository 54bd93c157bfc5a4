#pragma once
#include <string>

#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace Text {

// Conversions between UTF-16 and a code page (CP_THREAD_ACP, CP_UTF8, 932...). Empty text
// converts to empty text; false, with the result empty, when the text can't be converted.
// Strict refuses bytes that are not text in the code page instead of replacing them.
bool ToWide(UINT codePage, const std::string& text, std::wstring& wide, bool strict = false);
bool ToNarrow(UINT codePage, const std::wstring& text, std::string& narrow);

}}} // namespace Quorvel::Base::Text
