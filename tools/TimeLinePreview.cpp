// Renders the time-line graph with a few dozen entries into the editor's back buffer, as the
// editor draws it, in every size mode and zoom mode, and saves one picture for a person to
// look at.
//
//   timeline_preview.exe [folder that holds obj] [picture.bmp]
//
// Defaults: the folder above the tool's own (build/<arch>, beside the plug-in DLL) and
// timeline_preview.bmp in that folder.
#include <cstdio>
#include <string>

#include "base/Win32.h"
#include <commctrl.h>

#include "editor/BitmapObject.h"
#include "editor/DibCanvas.h"
#include "editor/EditorContext.h"
#include "editor/GdiplusSession.h"
#include "editor/ModulePath.h"
#include "editor/ParentStaticObject.h"
#include "editor/PluginMessages.h"
#include "sim/EditorStandIn.h"
#include "timesheet/DropDrawButton.h"
#include "timesheet/TimeLineButtonManager.h"
#include "timesheet/TimeLineObject.h"

namespace {

constexpr int kMargin = 16;
constexpr int kCaption = 22;
constexpr COLORREF kPaper = RGB(28, 30, 36);
constexpr COLORREF kInk = RGB(230, 230, 230);

class CPreviewHost : public ITimeLineHost {
public:
    bool ReadPosition(double& seconds) override
    {
        seconds = m_now;
        return true;
    }
    std::wstring MediaName() override { return L"夏の海辺.wmv"; }
    std::wstring TimeSheetName() override { return L"夏の海辺_パターン.tms"; }
    double m_now = 0.0;
};

struct Panel {
    const char* caption;
    WPARAM request;
    int sizeMode;
    int zoomMode;
    double now;
    int width, height; // the part of the back buffer shown
    int x, y;          // where it goes in the picture
    bool cursorOnGraph;
};

void Text(HDC dc, int x, int y, const std::string& text)
{
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

} // namespace

int main(int argc, char** argv)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::string folder = argc > 1 ? argv[1] : DirectoryOfPath(ModuleDirectory(instance));
    const std::string output = argc > 2 ? argv[2] : folder + "\\timeline_preview.bmp";

    CGdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // At the screen's origin, so that the cursor can be put over the graph.
    const HWND editor = CreateEditorStandIn(instance, 0, 0, false);
    CParentStaticObject parent;
    if (!gdiplus.IsStarted() || editor == nullptr || !parent.Create(instance, editor)) {
        std::fprintf(stderr, "timeline_preview: no window or no GDI+ (is there an X display?)\n");
        return 1;
    }
    EditorContext().host = editor;
    CBitmapObject background;
    background.InitializeFrom(parent.GetWindow(), parent.GetScratchDC(), parent.GetBackBufferDC(), folder, nullptr);
    ControlHookList().Add(&background);

    CPreviewHost host;
    CSheetDocument sheet;
    CTimeLineButtonManager manager(sheet);
    CTimeLineObject view;
    view.Create(&host, nullptr, &manager, editor);
    ControlHookList().Add(&view);
    const HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, editor, nullptr,
                                         instance, nullptr);
    manager.AttachWindow(tooltip, parent.GetBackBufferDC(), parent.GetWindow(), folder);
    ControlHookList().Add(manager.CreateDropButton(CDropDrawButton::MakeData(folder), editor));
    manager.FinishSetUp();

    // Three dozen points over two minutes: a build-up, a plateau, pattern changes, a fade.
    for (int i = 0; i < 36; ++i) {
        const double seconds = 1.0 + i * 3.3;
        const int level = i < 12 ? i % 11 : i < 24 ? 7 + (i % 4) : 10 - (i - 24) % 11;
        manager.InsertAt(seconds, (i / 3) % 10, level);
    }
    for (const auto& entry : manager.Entries()) {
        if (entry.key == 76 || entry.key == 208 || entry.key == 571)
            manager.SetSelected(entry.key, true);
    }

    const int row1 = kMargin + kCaption;
    const int row2 = row1 + 370 + kMargin + kCaption;
    const int row3 = row2 + 510 + kMargin + kCaption;
    const int row4 = row3 + 510 + kMargin + kCaption;
    const Panel panels[] = {
        {"normal, zoom 0 (10 s), at 17.3 s, cursor on the graph", kSizeModeRequestNormal, 0, 0, 17.3, 500, 370,
         kMargin, row1, true},
        {"normal, zoom 1 (25 s), at 17.3 s", kSizeModeRequestNormal, 0, 1, 17.3, 500, 370, kMargin * 2 + 500, row1,
         false},
        {"normal, zoom 2 (100 s), at 2.0 s", kSizeModeRequestNormal, 0, 2, 2.0, 500, 370, kMargin * 3 + 1000, row1,
         false},
        {"wide, zoom 0 (10 s), at 46.0 s, cursor on the graph", kSizeModeRequestWide, 1, 0, 46.0, 1000, 510, kMargin,
         row2, true},
        {"wide, zoom 1 (25 s), at 62.5 s", kSizeModeRequestWide, 1, 1, 62.5, 1000, 510, kMargin, row3, false},
        {"wide, zoom 2 (100 s), at 33.0 s", kSizeModeRequestWide, 1, 2, 33.0, 1000, 510, kMargin, row4, false},
        {"mini (the graph is out of sight)", kSizeModeRequestMini, 2, 0, 17.3, 500, 74, kMargin * 2 + 1000, row2,
         false},
    };
    const int pictureWidth = kMargin * 4 + 1500;
    const int pictureHeight = row4 + 510 + kMargin;
    CDibCanvas picture(pictureWidth, pictureHeight, kPaper);
    if (!picture.Valid()) {
        std::fprintf(stderr, "timeline_preview: no memory for the picture\n");
        return 1;
    }
    SetBkMode(picture.Dc(), TRANSPARENT);
    SetTextColor(picture.Dc(), kInk);
    SelectObject(picture.Dc(), GetStockObject(DEFAULT_GUI_FONT));

    const HDC back = parent.GetBackBufferDC();
    for (const Panel& panel : panels) {
        ControlHookList().Dispatch(editor, WM_PLUGIN_SIZEMODE, panel.request, 0, nullptr, false);
        manager.SetSizeMode(panel.sizeMode);
        manager.SetZoomMode(panel.zoomMode);
        host.m_now = panel.now;
        const CTimeLineGeometry& g = manager.Geometry();
        // Over a free spot a little right of the playback line, or far away from the graph.
        if (panel.cursorOnGraph)
            SetCursorPos(static_cast<int>(g.origin) + 57, g.graphTop + 40);
        else
            SetCursorPos(1270, 1010);
        manager.RefreshAt(panel.now);
        PatBlt(back, 0, 0, kBackBufferWidth, kBackBufferHeight, BLACKNESS);
        parent.Render(parent.GetWindow());
        Text(picture.Dc(), panel.x, panel.y - kCaption + 4, panel.caption);
        BitBlt(picture.Dc(), panel.x, panel.y, panel.width, panel.height, back, 0, 0, SRCCOPY);
    }

    ControlHookList().Clear();
    manager.DetachWindow();
    if (!picture.SaveBmp24(output)) {
        std::fprintf(stderr, "timeline_preview: could not write %s\n", output.c_str());
        return 1;
    }
    std::printf("timeline_preview: wrote %s (%d x %d), %d entries\n", output.c_str(), pictureWidth, pictureHeight,
                manager.EntryCount());
    DestroyWindow(editor);
    return 0;
}
