// tervane-fuzz: feeds every reader of outside data a great many damaged inputs, in process,
// through files in memory, and reports what goes wrong: a crash, an input that runs past the
// time limit (a hang), a block written past its end or released twice (the memory system's
// checking mode is linked in), memory or a file handle left behind, an absurd allocation, or a
// result that breaks the reader's promise. Input K of a reader is made from the seed and K
// alone, so a run (or one input) is reproduced by its seed.
//
//   tervane-fuzz [--reader NAME[,NAME...]] [--inputs N] [--seed S] [--time-limit MS]
//                [--findings DIR] [--jobs N] [--case K [--save FILE]] [--replay DIR]
//
// With more than one job (by default one per processor) the readers are shared out among
// that many processes of this program, so that a run uses the whole machine.
// Per reader it prints inputs, findings, the slowest input, the peak memory of one input and
// the time taken; exit code 0 when nothing was found, 1 on findings, 2 on bad arguments.
// --replay reads every file DIR/READER/*.bin through its reader with the same checks.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "base/allocator/BlockGuards.h"
#include "fuzz/FuzzMutator.h"
#include "fuzz/FuzzReaders.h"
#include "sim/MemoryFiles.h"

namespace Quorvel { namespace Base { namespace Allocator {
// Every block of this program is guarded and counted from its first allocation on.
extern const bool kCheckBlockGuards = true;
}}} // namespace Quorvel::Base::Allocator

using namespace Quorvel::Base::Allocator;

namespace {

const char kUsage[] =
    "usage: tervane-fuzz [--reader NAME[,NAME...]] [--inputs N] [--seed S] [--time-limit MS]\n"
    "                    [--findings DIR] [--jobs N] [--case K [--save FILE]] [--replay DIR]\n";

constexpr size_t kMaxInput = 256 * 1024;

struct Options {
    std::vector<std::string> readers; // empty: all
    uint64_t jobs = 0;                // 0: one per processor
    uint64_t inputs = 1000000;
    uint64_t seed = 1;
    DWORD timeLimit = 2000;
    std::string findings = "fuzz-findings";
    bool oneCase = false;
    uint64_t caseIndex = 0;
    std::string save;
    std::string replay;
};

// What the process is reading now, for the crash filter, the guard handler and the watchdog.
struct Current {
    const char* reader = nullptr;
    std::string label;
    const std::string* input = nullptr;
    volatile LONG64 started = 0; // GetTickCount64 at the start of the input; 0 between inputs
};
Current g_now;
Options g_options;

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

// The input that found something is kept, named after its reader, seed and number.
std::string Keep()
{
    if (g_now.input == nullptr)
        return std::string();
    CreateDirectoryA(g_options.findings.c_str(), nullptr);
    const std::string folder = g_options.findings + "\\" + g_now.reader;
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + g_now.label + ".bin";
    WriteBytes(path, *g_now.input);
    return path;
}

void Finding(const char* kind, const std::string& detail)
{
    const std::string kept = Keep();
    std::printf("finding %s %s kind=%s: %s (input kept in %s)\n", g_now.reader ? g_now.reader : "-",
                g_now.label.c_str(), kind, detail.c_str(), kept.c_str());
    std::fflush(stdout);
}

// After a crash, a hang or a breach nothing of the process can be trusted: say which input
// it was and end.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info)
{
    char detail[64];
    std::snprintf(detail, sizeof detail, "exception 0x%08lX", static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    Finding("crash", detail);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnBreach(const void*, size_t size, const char* what)
{
    Finding("guard", std::string("a block of ") + std::to_string(size) + " " + what);
    TerminateProcess(GetCurrentProcess(), 3);
}

DWORD WINAPI Watch(LPVOID)
{
    for (;;) {
        Sleep(50);
        const LONG64 started = g_now.started;
        if (started != 0 && static_cast<LONG64>(GetTickCount64()) - started > static_cast<LONG64>(g_options.timeLimit)) {
            Finding("hang", "still reading after " + std::to_string(g_options.timeLimit) + " ms");
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

struct Tally {
    uint64_t inputs = 0;
    uint64_t findings = 0;
    double slowest = 0.0;
    std::string slowestLabel;
    size_t slowestBytes = 0;
    size_t peak = 0;
    std::string peakLabel;
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One input through one reader with every check; false when it found something.
bool ReadOne(const FuzzReader& reader, size_t expansion, CMemoryFiles& files, const std::string& input,
             const std::string& label, Tally& tally)
{
    g_now.reader = reader.name;
    g_now.label = label;
    g_now.input = &input;
    const GuardedUsage before = CurrentGuardedUsage();
    ResetGuardedPeak();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    g_now.started = static_cast<LONG64>(GetTickCount64());
    std::string fault;
    try {
        fault = reader.read(files, input);
    } catch (const std::exception& e) {
        fault = std::string("an exception left the reader: ") + e.what();
    } catch (...) {
        fault = "an exception left the reader";
    }
    g_now.started = 0;
    QueryPerformanceCounter(&end);
    const size_t handles = files.OpenHandles();
    files.Clear();
    const GuardedUsage after = CurrentGuardedUsage();

    ++tally.inputs;
    const double seconds = Seconds(start, end);
    if (seconds > tally.slowest) {
        tally.slowest = seconds;
        tally.slowestLabel = label;
        tally.slowestBytes = input.size();
    }
    const size_t peak = after.peakBytes - before.liveBytes;
    if (peak > tally.peak) {
        tally.peak = peak;
        tally.peakLabel = label;
    }
    if (fault.empty() && handles != 0)
        fault = std::to_string(handles) + " file handles left open";
    if (fault.empty() && after.liveBytes != before.liveBytes)
        fault = std::to_string(static_cast<long long>(after.liveBytes) - static_cast<long long>(before.liveBytes)) +
                " bytes left allocated";
    if (fault.empty() && after.largestRequest > (16u << 20) + expansion * input.size())
        fault = "asked for a block of " + std::to_string(after.largestRequest) + " bytes";
    g_now.input = nullptr;
    if (fault.empty())
        return true;
    ++tally.findings;
    g_now.input = &input;
    Finding("fault", fault);
    g_now.input = nullptr;
    return false;
}

void PrintTally(const char* reader, const Tally& tally, double seconds)
{
    std::printf("reader %-12s inputs=%llu findings=%llu slowest=%.2f ms (%s, %u bytes) peak=%u bytes (%s) time=%.1f s\n",
                reader, static_cast<unsigned long long>(tally.inputs), static_cast<unsigned long long>(tally.findings),
                tally.slowest * 1000.0, tally.slowestLabel.c_str(), static_cast<unsigned>(tally.slowestBytes),
                static_cast<unsigned>(tally.peak), tally.peakLabel.c_str(), seconds);
    std::fflush(stdout);
}

size_t ExpansionOf(const FuzzReader& reader)
{
    // A pack member may legitimately inflate to the format's largest ratio.
    return std::strcmp(reader.name, "pack") == 0 ? 1100 : 16;
}

uint64_t Fuzz(const FuzzReader& reader, uint32_t index, CMemoryFiles& files)
{
    Tally tally;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    // The seeds first, unmeasured: what a reader sets up once for the process is not a leak.
    Tally warmUp;
    for (size_t i = 0; i < reader.seeds.size(); ++i)
        ReadOne(reader, ExpansionOf(reader), files, reader.seeds[i], "seed-" + std::to_string(i), warmUp);
    const uint64_t first = g_options.oneCase ? g_options.caseIndex : 0;
    const uint64_t last = g_options.oneCase ? first + 1 : g_options.inputs;
    for (uint64_t k = first; k < last; ++k) {
        CFuzzMutator mutator(g_options.seed, index, k);
        const std::string input = mutator.Make(reader.seeds, kMaxInput);
        if (g_options.oneCase && !g_options.save.empty())
            WriteBytes(g_options.save, input);
        ReadOne(reader, ExpansionOf(reader), files, input,
                "seed" + std::to_string(g_options.seed) + "-case" + std::to_string(k), tally);
    }
    QueryPerformanceCounter(&end);
    tally.findings += warmUp.findings;
    PrintTally(reader.name, tally, Seconds(start, end));
    return tally.findings;
}

uint64_t Replay(const FuzzReader& reader, CMemoryFiles& files)
{
    Tally tally;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const std::string folder = g_options.replay + "\\" + reader.name;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((folder + "\\*.bin").c_str(), &found);
    std::vector<std::string> names;
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(found.cFileName);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    for (const std::string& name : names) {
        std::string bytes;
        FILE* file = std::fopen((folder + "\\" + name).c_str(), "rb");
        if (file == nullptr)
            continue;
        char buffer[65536];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
        ReadOne(reader, ExpansionOf(reader), files, bytes, name.substr(0, name.size() - 4), tally);
    }
    QueryPerformanceCounter(&end);
    PrintTally(reader.name, tally, Seconds(start, end));
    return tally.findings;
}

std::vector<std::string> SplitNames(const std::string& text)
{
    std::vector<std::string> names;
    for (size_t from = 0; from <= text.size();) {
        const size_t comma = std::min(text.find(',', from), text.size());
        names.push_back(text.substr(from, comma - from));
        from = comma + 1;
    }
    return names;
}

bool Chosen(const char* reader)
{
    if (g_options.readers.empty())
        return true;
    for (const std::string& name : g_options.readers)
        if (name == reader)
            return true;
    return false;
}

// How long a reader takes per input, roughly, for sharing them out evenly.
double CostOf(const char* reader)
{
    const char* names[] = {"sheet", "pack", "settings", "address", "ticker"};
    const double costs[] = {5.0, 5.0, 0.2, 0.3, 1.0};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (std::strcmp(names[i], reader) == 0)
            return costs[i];
    return 1.0;
}

// Runs the readers in that many processes of this program, each with its share (the dearest
// first, each to the least loaded process); the worst exit code of them.
int RunJobs(const std::vector<FuzzReader>& readers, int argc, char** argv)
{
    std::vector<const FuzzReader*> order;
    for (const FuzzReader& reader : readers)
        if (Chosen(reader.name))
            order.push_back(&reader);
    std::sort(order.begin(), order.end(),
              [](const FuzzReader* a, const FuzzReader* b) { return CostOf(a->name) > CostOf(b->name); });
    const size_t jobs = std::min<size_t>(g_options.jobs, order.size());
    std::vector<std::string> shares(jobs);
    std::vector<double> loads(jobs, 0.0);
    for (const FuzzReader* reader : order) {
        const size_t least = std::min_element(loads.begin(), loads.end()) - loads.begin();
        shares[least] += (shares[least].empty() ? "" : ",") + std::string(reader->name);
        loads[least] += CostOf(reader->name);
    }
    // The same command line, but for the readers and the jobs.
    std::string common = "\"" + std::string(argv[0]) + "\"";
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::strcmp(argv[i], "--reader") != 0 && std::strcmp(argv[i], "--jobs") != 0)
            common += std::string(" ") + argv[i] + " \"" + argv[i + 1] + "\"";
    std::vector<HANDLE> processes;
    for (const std::string& share : shares) {
        std::string line = common + " --jobs 1 --reader " + share;
        // The jobs write to this program's own output.
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
            std::printf("tervane-fuzz: cannot start a job for %s\n", share.c_str());
            return 1;
        }
        CloseHandle(process.hThread);
        processes.push_back(process.hProcess);
    }
    DWORD worst = 0;
    for (HANDLE process : processes) {
        WaitForSingleObject(process, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(process, &code);
        worst = std::max(worst, code);
        CloseHandle(process);
    }
    return static_cast<int>(worst);
}

bool ParseCount(const char* text, uint64_t& value)
{
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text != '\0' && *end == '\0' && *text != '-';
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "tervane-fuzz: %s\n%s", message.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return Usage(arg + " needs a value");
        const char* value = argv[++i];
        uint64_t number = 0;
        if (arg == "--reader")
            g_options.readers = SplitNames(value);
        else if (arg == "--jobs" && ParseCount(value, number) && number > 0 && number <= 64)
            g_options.jobs = number;
        else if (arg == "--inputs" && ParseCount(value, number))
            g_options.inputs = number;
        else if (arg == "--seed" && ParseCount(value, number))
            g_options.seed = number;
        else if (arg == "--time-limit" && ParseCount(value, number) && number > 0 && number < 600000)
            g_options.timeLimit = static_cast<DWORD>(number);
        else if (arg == "--findings")
            g_options.findings = value;
        else if (arg == "--case" && ParseCount(value, number))
            g_options.oneCase = true, g_options.caseIndex = number;
        else if (arg == "--save")
            g_options.save = value;
        else if (arg == "--replay")
            g_options.replay = value;
        else
            return Usage("bad option or value: " + arg + " " + value);
    }
    const std::vector<FuzzReader> readers = FuzzReaders();
    for (const std::string& name : g_options.readers) {
        bool known = false;
        for (const FuzzReader& reader : readers)
            known = known || name == reader.name;
        if (!known)
            return Usage("no reader '" + name + "'");
    }
    if (g_options.oneCase && g_options.readers.size() != 1)
        return Usage("--case needs one --reader");
    if (g_options.jobs == 0) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        g_options.jobs = system.dwNumberOfProcessors;
    }

    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&OnCrash);
    SetGuardBreachHandler(&OnBreach);
    CloseHandle(CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr));
    CMemoryFiles files(kFuzzFolder);
    std::string error;
    if (!files.Attach(GetModuleHandleW(nullptr), error))
        return Usage(error);

    std::printf("tervane-fuzz: seed %llu, %s, time limit %lu ms per input\n",
                static_cast<unsigned long long>(g_options.seed),
                g_options.replay.empty() ? (std::to_string(g_options.oneCase ? 1 : g_options.inputs) + " inputs per reader").c_str()
                                         : ("the cases in " + g_options.replay).c_str(),
                static_cast<unsigned long>(g_options.timeLimit));
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (g_options.jobs > 1 && !g_options.oneCase) {
        std::fflush(stdout);
        const int worst = RunJobs(readers, argc, argv);
        QueryPerformanceCounter(&end);
        std::printf("tervane-fuzz: all jobs done in %.1f s, %s\n", Seconds(start, end),
                    worst == 0 ? "no findings" : "with findings (see above)");
        return worst == 0 ? 0 : worst == 2 ? 1 : static_cast<int>(worst);
    }
    uint64_t findings = 0;
    for (uint32_t index = 0; index < readers.size(); ++index) {
        if (!Chosen(readers[index].name))
            continue;
        findings += g_options.replay.empty() ? Fuzz(readers[index], index, files) : Replay(readers[index], files);
    }
    QueryPerformanceCounter(&end);
    const GuardedUsage usage = CurrentGuardedUsage();
    std::printf("tervane-fuzz: %llu findings in %.1f s; %u bytes in %u blocks still in use\n",
                static_cast<unsigned long long>(findings), Seconds(start, end), static_cast<unsigned>(usage.liveBytes),
                static_cast<unsigned>(usage.liveBlocks));
    return findings == 0 ? 0 : 1;
}
