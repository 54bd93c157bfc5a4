#include "editor/EditorContext.h"

CEditorContext& EditorContext()
{
    static CEditorContext context;
    return context;
}

Quorvel::Base::AppFrame::CWinMsgHookList& ControlHookList()
{
    static Quorvel::Base::AppFrame::CWinMsgHookList list;
    return list;
}
