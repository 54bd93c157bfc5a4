// timeline-bench: what the time line costs as a sheet grows to an hour of points, one per
// tenth of a second: loading the file into the editor, one refresh tick of the graph, and how
// many point windows are alive. Needs a display (the points are real windows). Ratios come
// from one run, so both sides share the machine's load. Exits 1 when a target is missed:
// a tick at 36,000 entries above 3 times a tick at 100 in zoom mode 0, more point windows than
// the visible range and its margin, or a 36,000-entry load above 2 s.
//
// Ticks are measured with the pointer on the graph, where every point window moves with the
// graph (the judged case), and with the pointer elsewhere, where only the faces move. Zoom mode
// 2 shows 100 s: a sheet of 100 entries (10 s) has 100 points in view there, an hour-long one
// 1,000. That ratio measures the visible points, not the sheet's length: printed, not judged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "base/Win32.h"
#include <commctrl.h>

#include "base/file/ReplaceFile.h"
#include "editor/EditorContext.h"
#include "editor/GdiplusSession.h"
#include "editor/ModulePath.h"
#include "editor/ParentStaticObject.h"
#include "sim/EditorStandIn.h"
#include "timesheet/DropDrawButton.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// A sheet of count entries, one per tenth of a second from 0.
std::string SheetText(int count)
{
    std::string text = "bench.wmv\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";
    char line[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "%d\t%d\t%d\t0\t0\r\r\n", i * 1000, i % 10, i % 11);
        text += line;
    }
    return text;
}

struct Result {
    double loadMs;
    double tickOverUs; // the pointer on the graph: every point window follows
    double tickAwayUs; // the pointer elsewhere: only the faces move
    int mostWindows;
};

// Plays 10 s around the sheet's middle, one refresh every 0.1 s, and takes the fastest of
// five rounds, so that a busy moment of the machine does not count.
double TickCost(CTimeLineButtonManager& manager, double middle, int& mostWindows)
{
    double best = 1e30;
    manager.RefreshAt(middle - 5.0);
    for (int round = 0; round < 5; ++round) {
        const auto begin = Clock::now();
        for (int tick = 0; tick < 100; ++tick) {
            manager.RefreshAt(middle - 5.0 + tick / 10.0);
            mostWindows = std::max(mostWindows, manager.PointWindowCount());
        }
        best = std::min(best, Microseconds(Clock::now() - begin) / 100.0);
        manager.RefreshAt(middle - 5.0);
    }
    return best;
}

Result Measure(CTimeLineButtonManager& manager, const std::string& path, int count, int zoom)
{
    Result result = {0.0, 0.0, 0.0, 0};
    manager.SetZoomMode(zoom);
    SetCursorPos(1270, 1010);
    const auto start = Clock::now();
    manager.LoadTimeSheet(path.c_str());
    result.loadMs = Microseconds(Clock::now() - start) / 1000.0;
    const double middle = count / 20.0;
    result.tickAwayUs = TickCost(manager, middle, result.mostWindows);
    const CTimeLineGeometry& g = manager.Geometry();
    SetCursorPos((g.graphLeft + g.graphRight) / 2, g.graphTop + 5);
    result.tickOverUs = TickCost(manager, middle, result.mostWindows);
    SetCursorPos(1270, 1010);
    return result;
}

} // namespace

int main()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::string folder = DirectoryOfPath(ModuleDirectory(instance));
    CGdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // At the screen's origin, so that the pointer can be put on the graph.
    const HWND editor = CreateEditorStandIn(instance, 0, 0, false);
    CParentStaticObject parent;
    if (editor == nullptr || !parent.Create(instance, editor)) {
        std::fprintf(stderr, "timeline-bench: no window (is there an X display?)\n");
        return 2;
    }
    EditorContext().host = editor;
    const HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, editor, nullptr,
                                         instance, nullptr);
    CTimeLineButtonManager manager;
    manager.AttachWindow(tooltip, parent.GetBackBufferDC(), parent.GetWindow(), &parent, nullptr, folder);
    ControlHookList().Add(manager.CreateDropButton(CDropDrawButton::MakeData(folder), editor));
    manager.FinishSetUp();

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const int counts[] = {100, 10000, 36000};
    std::printf("timeline-bench: entries one per tenth of a second, fastest of 5 rounds of 100 ticks\n");
    std::printf("%-5s %-7s %9s %16s %16s %8s %6s\n", "zoom", "entries", "load ms", "tick us pointer", "tick us pointer",
                "windows", "limit");
    std::printf("%-5s %-7s %9s %16s %16s\n", "", "", "", "on the graph", "elsewhere");
    bool failed = false;
    for (int zoom : {0, 2}) {
        double first = 0.0;
        for (int count : counts) {
            const std::string path = std::string(temp) + "timeline-bench-" + std::to_string(count) + ".tms";
            const std::string text = SheetText(count);
            if (!Quorvel::Base::File::ReplaceFileContents(path.c_str(), text.data(), text.size())) {
                std::fprintf(stderr, "timeline-bench: cannot write %s\n", path.c_str());
                return 2;
            }
            const Result r = Measure(manager, path, count, zoom);
            DeleteFileA(path.c_str());
            const CTimeLineGeometry& g = manager.Geometry();
            const int limit = g.keysBefore + g.keysAfter + 1 + 2 * CTimeLineButtonManager::kWindowMarginKeys;
            std::printf("%-5d %-7d %9.1f %16.1f %16.1f %8d %6d\n", zoom, count, r.loadMs, r.tickOverUs, r.tickAwayUs,
                        r.mostWindows, limit);
            if (count == 100)
                first = r.tickOverUs;
            if (r.mostWindows > limit)
                failed = true;
            if (count == 36000) {
                const double ratio = r.tickOverUs / first;
                std::printf("%-5d tick at 36,000 / tick at 100, pointer on the graph = %.2f (%s); load %.0f ms "
                            "(limit 2000)\n",
                            zoom, ratio, zoom == 0 ? "limit 3" : "not judged", r.loadMs);
                failed = failed || (zoom == 0 && ratio > 3.0) || r.loadMs > 2000.0;
            }
        }
    }
    ControlHookList().Clear();
    manager.DetachWindow();
    DestroyWindow(tooltip);
    DestroyWindow(editor);
    std::printf("timeline-bench: %s\n", failed ? "a target was missed" : "all targets met");
    return failed ? 1 : 0;
}
