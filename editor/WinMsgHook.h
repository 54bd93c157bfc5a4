#pragma once
#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace AppFrame {

// One receiver of window messages in a CWinMsgHookList. A non-zero result consumes the
// message: the list returns it at once and no later hook (and no default processing) runs.
class IWinMsgHook {
public:
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual ~IWinMsgHook() = default;
};

}}} // namespace Quorvel::Base::AppFrame
