#include "tools/EditorTickBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cxxabi.h>
#include <map>
#include <tuple>
#include <memory>
#include <typeinfo>
#include <vector>

#include "base/file/ReplaceFile.h"
#include "device/TervaneManager.h"
#include "editor/EditorContext.h"
#include "editor/PluginWindow.h"
#include "plugin/TervanePlugin.h"
#include "sim/PlayerSession.h"
#include "sim/RealInput.h"
#include "sim/ToolSupport.h"

std::string BenchSupport::SheetText(int count)
{
    std::string text = "bench.wmv\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";
    char line[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "%d\t%d\t%d\t0\t0\r\r\n", i * 1000, i % 10, i % 11);
        text += line;
    }
    return text;
}

namespace {

using BenchSupport::Clock;
using BenchSupport::Microseconds;
using BenchSupport::SheetText;

std::string TypeName(const void* object, const std::type_info& type)
{
    (void)object;
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                 std::free);
    std::string text = status == 0 && name ? name.get() : type.name();
    const size_t colon = text.rfind("::");
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

struct Case {
    int entries;
    double duration;
    int zoom;
    bool pointerOnGraph;
};

// Where one tick's time goes: the parts of the editor's timer, measured one by one on the
// same window in the same state.
std::vector<std::pair<std::string, double>> Breakdown(CPlayerSession& session, double position)
{
    CTervanePlugin& plugin = *session.Plugin();
    CPluginWindow& window = *plugin.Window();
    const HWND parentStatic = window.ParentStatic().GetWindow();
    const HDC backBuffer = window.ParentStatic().GetBackBufferDC();
    std::map<std::string, double> parts;
    std::vector<std::string> order;
    auto add = [&](const std::string& name, double us) {
        if (parts.find(name) == parts.end())
            order.push_back(name);
        parts[name] += us;
    };
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        auto begin = Clock::now();
        plugin.TimeLine().RefreshAt(position);
        add("time line", Microseconds(Clock::now() - begin));
        begin = Clock::now();
        plugin.DeviceManager()->UpdatePosition(position);
        add("device", Microseconds(Clock::now() - begin));
        begin = Clock::now();
        window.Background().TickTicker();
        add("ticker", Microseconds(Clock::now() - begin));
        begin = Clock::now();
        ControlHookList().Dispatch(parentStatic, WM_PLUGIN_TICK, 0, 0, nullptr, true);
        add("controls' tick", Microseconds(Clock::now() - begin));
        PAINTSTRUCT paint;
        BeginPaint(parentStatic, &paint);
        for (auto* hook : ControlHookList().Hooks()) {
            begin = Clock::now();
            hook->HandleMessage(parentStatic, WM_PAINT, reinterpret_cast<WPARAM>(backBuffer), 0);
            add("paint " + TypeName(hook, typeid(*hook)), Microseconds(Clock::now() - begin));
        }
        EndPaint(parentStatic, &paint);
        begin = Clock::now();
        window.ShowBackBuffer(parentStatic);
        add("back buffer to the screen", Microseconds(Clock::now() - begin));
    }
    std::vector<std::pair<std::string, double>> result;
    for (const std::string& name : order)
        result.emplace_back(name, parts[name] / kRounds);
    std::stable_sort(result.begin(), result.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return result;
}

// The fastest of five rounds of 20 ticks, as milliseconds per tick.
double TickCost(CPlayerSession& session)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto begin = Clock::now();
        for (int tick = 0; tick < 20; ++tick)
            session.Tick();
        best = std::min(best, Microseconds(Clock::now() - begin) / 20.0 / 1000.0);
    }
    return best;
}

} // namespace

bool MeasureEditorTicks(const std::string& scratchFolder)
{
    std::printf("\nthe whole editor in the simulated player, playing: one tick (ms), fastest of 5 rounds of 20\n");
    std::printf("%-7s %-6s %-4s %-9s %9s   where the time goes (ms)\n", "entries", "movie", "zoom", "pointer", "tick ms");
    bool ok = true;
    double worst = 0.0;
    // entries, movie, zoom, pointer on the graph -> tick
    std::map<std::tuple<int, int, int, bool>, double> ticks;
    for (int entries : {100, 36000}) {
        const std::string path = scratchFolder + "editor-bench-" + std::to_string(entries) + ".tms";
        const std::string text = SheetText(entries);
        if (!Quorvel::Base::File::ReplaceFileContents(path.c_str(), text.data(), text.size())) {
            std::fprintf(stderr, "timeline-bench: cannot write %s\n", path.c_str());
            return false;
        }
        for (double duration : {60.0, 3600.0}) {
            for (int zoom : {0, 2}) {
                PlayerOptions options;
                options.duration = duration;
                options.sheet = path;
                options.settings = scratchFolder;
                options.moduleFolder = ToolSupport::ProductFolderOfTool();
                CPlayerSession session(options, [](const std::string&) {});
                std::string error;
                if (!session.Start(error)) {
                    std::fprintf(stderr, "timeline-bench: %s\n", error.c_str());
                    return false;
                }
                // Playing in the middle of the movie, in the middle of the sheet where both reach.
                const double middle = std::min(duration, entries / 10.0) / 2.0;
                std::vector<SimEvent> events;
                std::string text2 = "seek " + std::to_string(middle) + "; play";
                for (int z = 0; z < zoom; ++z)
                    text2 += "; press 30";
                text2 += "; wait 1";
                ParseSimEvents(text2, events, error, true);
                for (const SimEvent& e : events)
                    session.Apply(e);
                const CTimeLineGeometry& g = session.Plugin()->TimeLine().Geometry();
                for (bool onGraph : {false, true}) {
                    POINT at = {onGraph ? (g.graphLeft + g.graphRight) / 2 + 37 : 1270,
                                onGraph ? (g.graphTop + g.graphBottom) / 2 : 1010};
                    if (onGraph)
                        ClientToScreen(session.Editor(), &at);
                    RealInput::MoveTo(at.x, at.y);
                    session.Tick();
                    const double tick = TickCost(session);
                    worst = std::max(worst, tick);
                    ok = ok && tick < 20.0;
                    ticks[std::make_tuple(entries, static_cast<int>(duration), zoom, onGraph)] = tick;
                    std::printf("%-7d %-6.0f %-4d %-9s %9.2f  ", entries, duration, zoom,
                                onGraph ? "on graph" : "away", tick);
                    int shown = 0;
                    for (const auto& part : Breakdown(session, session.Plugin()->TimeLine().GetNow())) {
                        if (shown++ < 6)
                            std::printf(" %s %.2f;", part.first.c_str(), part.second / 1000.0);
                    }
                    std::printf("\n");
                }
                session.Finish();
            }
        }
        DeleteFileA(path.c_str());
    }
    // The tick must not grow with the sheet or the movie.
    for (int zoom : {0, 2})
        for (bool onGraph : {false, true}) {
            const double base = ticks[std::make_tuple(100, 60, zoom, onGraph)];
            const double hour = ticks[std::make_tuple(100, 3600, zoom, onGraph)];
            const double sheet = ticks[std::make_tuple(36000, 3600, zoom, onGraph)];
            const bool steady = hour <= 1.5 * base && sheet <= 1.5 * hour;
            ok = ok && steady;
            std::printf("zoom %d, pointer %-8s: hour-long movie / one-minute %.2f (%.2f / %.2f ms), 36000 entries / "
                        "100 on it %.2f (%.2f / %.2f ms), limit 1.5: %s\n",
                        zoom, onGraph ? "on graph" : "away", hour / base, hour, base, sheet / hour, sheet, hour,
                        steady ? "met" : "MISSED");
        }
    std::printf("worst tick of the whole editor: %.2f ms (limit 20 ms, the period is 100 ms): %s\n", worst,
                ok ? "met" : "MISSED");
    return ok;
}
