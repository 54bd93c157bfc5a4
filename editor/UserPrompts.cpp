#include "editor/UserPrompts.h"

namespace {

class CUserPromptsWin32 final : public IUserPrompts {
public:
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override
    {
        return ::MessageBoxA(owner, text, caption, type);
    }
    BOOL GetOpenFileNameA(LPOPENFILENAMEA dialog) override { return ::GetOpenFileNameA(dialog); }
    BOOL GetSaveFileNameA(LPOPENFILENAMEA dialog) override { return ::GetSaveFileNameA(dialog); }
};

CUserPromptsWin32 s_win32;
IUserPrompts* g_bound = nullptr;

} // namespace

IUserPrompts& UserPromptsWin32()
{
    return s_win32;
}

IUserPrompts& UserPrompts()
{
    return g_bound != nullptr ? *g_bound : s_win32;
}

IUserPrompts* SetUserPrompts(IUserPrompts* prompts)
{
    IUserPrompts* previous = g_bound;
    g_bound = prompts;
    return previous;
}
