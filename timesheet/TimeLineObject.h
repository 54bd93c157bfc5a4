#pragma once
#include <string>

#include "base/Win32.h"
#include "editor/GdiObjects.h"
#include "editor/PluginMessages.h"
#include "editor/WinMsgHook.h"

class CTervaneManager;
class CTimeLineButtonManager;

// What the time line asks of the plug-in object: the playback position and the two names it
// prints above the graph.
class ITimeLineHost {
public:
    // False when the player cannot tell.
    virtual bool ReadPosition(double& seconds) = 0;
    virtual std::wstring MediaName() = 0;
    virtual std::wstring TimeSheetName() = 0;

protected:
    ~ITimeLineHost() = default;
};

// Paints the frame of the time-line graph (captions, level numbers, the names of the medium
// and of the time sheet) into the back buffer and has the manager paint the grid, the
// playback line and the cursor time; the points paint themselves after it.
class CTimeLineObject : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    CTimeLineObject() = default;
    CTimeLineObject(const CTimeLineObject&) = delete;
    CTimeLineObject& operator=(const CTimeLineObject&) = delete;
    ~CTimeLineObject() override;

    // window is the editor window; host may be null (position 0, no names).
    void Create(ITimeLineHost* host, CTervaneManager* device, CTimeLineButtonManager* manager, HWND window);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    int GetSizeMode() const { return m_sizeMode; }
    // The captions that stand at the same place in a size mode ("Time" and the level
    // numbers), for the background to lay into itself once: drawn with the graph, the eleven
    // numbers cost a sixth of a playing tick. "Level" follows the window's right edge in the
    // wide mode and is drawn with the graph.
    void PaintFixedCaptions(HDC dc, SizeMode mode) const;
    // Paint leaves the fixed captions out (the background has them).
    void LeaveFixedCaptions() { m_fixedCaptionsElsewhere = true; }

private:
    void Paint(HDC dc);
    // In a tick's look: the names and the graph with its captions, noted instead of painted.
    void NoteLook(HDC dc, double now, int right) const;

    ITimeLineHost* m_host = nullptr;
    CTervaneManager* m_device = nullptr;
    CTimeLineButtonManager* m_manager = nullptr;
    int m_sizeMode = 0;
    HFONT m_previousFont = nullptr;
    CFontHandle m_gothic10;
    CFontHandle m_pop14;
    CFontHandle m_pop16;
    CFontHandle m_pop10;
    CFontHandle m_gothic10Underlined;
    CFontHandle m_gothic14;
    HWND m_window = nullptr;
    bool m_fixedCaptionsElsewhere = false;
};
