// tervane-bench: what a tick and an insertion cost as the playing time sheet grows, and how
// long a large time sheet file takes to read. Ratios come from one run, so both sides of a
// ratio share the machine's load. Exits 1 when a judged ratio is above its limit.
//
// Seeking on every tick is printed but not judged: each lookup lands somewhere new, so on
// the large sheet it waits for memory that the 100-command sheet always finds in the cache,
// and the ratio follows the machine's other load (3.1 to 3.5 on a busy one). The playing
// measure judges the same lookup, which runs in full on every tick: a search that walks the
// blocks instead of halving them raises it to about 9.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "sim/SimHidBus.h"
#include "device/TervaneManager.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kMovieSeconds = 3600.0;

struct Lcg {
    uint32_t state;
    uint32_t Next(uint32_t bound)
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<uint32_t>((static_cast<uint64_t>(state) * bound) >> 32);
    }
};

double Nanoseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::nano>(d).count();
}

// Commands evenly over an hour of movie, at even ten-thousandths.
void Fill(TimeSheet& sheet, int count)
{
    const int32_t step = static_cast<int32_t>(kMovieSeconds * 10000 / count) & ~1;
    for (int i = 0; i < count; ++i)
        sheet.AddCommand((i + 1) * step, i % 10, i % 11);
}

// Nanoseconds per UpdatePosition. Both sheets hold one command per second (a 100 s movie and
// a 100,000 s one), so the same ticks send the same number of reports and the difference is
// the lookup. Playing ticks advance 0.1 s and seek to a random place every 50 ticks; seeking
// ticks land somewhere else every time, so the lookup finds nothing in the cache. The
// simulated bus's log, which the product does not have, is emptied often so that it does not
// crowd the sheet out of the cache either.
double TickCost(int commands, bool seekEveryTick)
{
    CSimHidBus bus;
    bus.AddTervane();
    CTervaneManager manager(bus);
    for (int i = 0; i < commands; ++i)
        manager.Sheet().AddCommand((i + 1) * 10000, i % 10, i % 11);
    manager.Device().Connect();
    manager.Start();
    Lcg rng{12345};
    const int kTicks = 200000;
    const uint32_t tenths = static_cast<uint32_t>(commands) * 10;
    std::vector<double> positions(kTicks);
    double position = 0.1;
    for (int i = 0; i < kTicks; ++i) {
        if (seekEveryTick || i % 50 == 0)
            position = (1 + rng.Next(tenths - 60)) / 10.0;
        else
            position += 0.1;
        positions[i] = position;
    }
    Clock::duration total{};
    for (int round = 0; round < kTicks; round += 500) {
        const auto start = Clock::now();
        for (int i = round; i < round + 500; ++i)
            manager.UpdatePosition(positions[i]);
        total += Clock::now() - start;
        bus.ClearReports();
    }
    return Nanoseconds(total) / kTicks;
}

// Nanoseconds per AddCommand into a sheet of the given size: batches of ten insertions at
// random odd times, each batch removed again (untimed) so the size stays put.
double InsertCost(int commands)
{
    TimeSheet sheet;
    Fill(sheet, commands);
    Lcg rng{777};
    const int kBatches = 20000, kBatch = 10;
    Clock::duration total{};
    int32_t times[kBatch];
    for (int b = 0; b < kBatches; ++b) {
        for (int32_t& t : times)
            t = static_cast<int32_t>(rng.Next(static_cast<uint32_t>(kMovieSeconds * 10000))) | 1;
        const auto start = Clock::now();
        for (int32_t t : times)
            sheet.AddCommand(t, 3, 7);
        total += Clock::now() - start;
        for (int32_t t : times)
            sheet.RemoveCommandAt(t);
    }
    return Nanoseconds(total) / (kBatches * kBatch);
}

// Milliseconds for loading a file with the given number of records into a sheet that the
// device's playing list follows (best of three).
double ReadCost(int records, int& read)
{
    char folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "tms", 0, path);
    std::string text = "C:\\movie.wmv\r\r\n";
    for (int i = 2; i <= 9; ++i)
        text += std::string(6, static_cast<char>('0' + i)) + "\r\r\n";
    text += "101010101010\r\r\n";
    char line[64];
    for (int i = 0; i < records; ++i) {
        std::snprintf(line, sizeof line, "%d\t%d\t%d\t0\t0\r\r\n", i * 300 + 300, i % 10, i % 11);
        text += line;
    }
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    double best = 0.0;
    for (int rep = 0; rep < 3; ++rep) {
        CSheetDocument document;
        CTervaneManager manager;
        manager.Follow(&document);
        const auto start = Clock::now();
        const bool ok = document.Load(path) == SheetRead::kRead;
        const double ms = Nanoseconds(Clock::now() - start) / 1e6;
        read = ok ? manager.Sheet().Count() : 0;
        if (rep == 0 || ms < best)
            best = ms;
    }
    DeleteFileA(path);
    return best;
}

const double kNotJudged = 0.0;

// Small and large take turns, five times each, and each keeps its best: a burst of other
// load on the machine then spoils neither side of the ratio. A limit of kNotJudged prints
// the ratio only.
template <typename Measure>
bool Report(const char* what, Measure measure, int smallSheet, int largeSheet, double limit)
{
    double best[2] = {0.0, 0.0};
    for (int rep = 0; rep < 5; ++rep) {
        for (int side = 0; side < 2; ++side) {
            const double cost = measure(side ? largeSheet : smallSheet);
            if (rep == 0 || cost < best[side])
                best[side] = cost;
        }
    }
    const double ratio = best[1] / best[0];
    const double small = best[0], large = best[1];
    if (limit == kNotJudged) {
        std::printf("%-44s %10.1f ns %10.1f ns   ratio %6.2f (not judged)\n", what, small, large, ratio);
        return true;
    }
    std::printf("%-44s %10.1f ns %10.1f ns   ratio %6.2f (limit %.0f) %s\n", what, small, large, ratio, limit,
                ratio <= limit ? "ok" : "OVER");
    return ratio <= limit;
}

} // namespace

int main()
{
    std::printf("%-44s %13s %13s\n", "", "small sheet", "large sheet");
    bool ok = true;
    ok &= Report("UpdatePosition, playing (100 vs 100,000)", [](int n) { return TickCost(n, false); }, 100, 100000, 3);
    ok &= Report("UpdatePosition, seeking (100 vs 100,000)", [](int n) { return TickCost(n, true); }, 100, 100000, kNotJudged);
    ok &= Report("AddCommand (into 100 vs into 10,000)", InsertCost, 100, 10000, 20);
    int read = 0;
    const double ms = ReadCost(100000, read);
    std::printf("Loading a 100,000-record file: %.1f ms (%d commands, %.2f us per record)\n", ms, read,
                ms * 1000 / 100000);
    if (read != 100000)
        ok = false;
    return ok ? 0 : 1;
}
