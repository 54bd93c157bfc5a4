#pragma once
#include "base/Win32.h"

// Keeps GDI+ started for as long as it lives. The plug-in window owns one for the editor's
// lifetime (GDI+ must never start or stop inside DllMain); tools and tests hold their own.
// Every GDI+ image must be gone before the session that read it ends.
class CGdiplusSession {
public:
    CGdiplusSession();
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    ~CGdiplusSession();

    bool IsStarted() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};
