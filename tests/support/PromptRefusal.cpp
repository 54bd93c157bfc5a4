#include <gtest/gtest.h>

#include "editor/UserPrompts.h"

namespace TestSupport {

namespace {

// Bound for the whole test program: a question or a file dialog that a test did not answer
// through a seam of its own fails that test instead of waiting for a click that never comes.
class CPromptRefusal : public IUserPrompts {
public:
    int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) override
    {
        ADD_FAILURE() << "a real message box was asked for: " << (text != nullptr ? text : "(null)");
        return IDCANCEL;
    }
    BOOL GetOpenFileNameA(LPOPENFILENAMEA) override { return Refuse("open"); }
    BOOL GetSaveFileNameA(LPOPENFILENAMEA) override { return Refuse("save"); }

private:
    static BOOL Refuse(const char* kind)
    {
        ADD_FAILURE() << "a real " << kind << " dialog was asked for";
        return FALSE;
    }
};

CPromptRefusal s_refusal;

class CBindRefusal {
public:
    CBindRefusal() { SetUserPrompts(&s_refusal); }
};
CBindRefusal s_bindRefusal;

} // namespace

} // namespace TestSupport
