#include "editor/GdiplusSession.h"

#include "editor/GdiplusApi.h"

CGdiplusSession::CGdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok)
        m_token = token;
}

CGdiplusSession::~CGdiplusSession()
{
    if (m_token != 0)
        Gdiplus::GdiplusShutdown(m_token);
}
