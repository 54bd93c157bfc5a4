#include "base/allocator/LeakReport.h"

#include <cstdio>

#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace Allocator {

// Defined beside the global operators. Whatever reaches the memory system's seams (the
// manager, the leak reports) thereby pulls the operators out of the static library too, so
// no program ends up with the runtime's operator new for some blocks and ours for others.
extern const char kGlobalOperatorsLinked;

namespace {
__attribute__((used)) const char* const s_globalOperators = &kGlobalOperatorsLinked;
CDebugOutputLeakSink s_debugOutput;
ILeakReportSink* volatile s_sink = &s_debugOutput;
} // namespace

void CDebugOutputLeakSink::Report(const char* caption, const char* text)
{
    char line[256];
    std::snprintf(line, sizeof(line), "%s: %s\n", caption, text);
    OutputDebugStringA(line);
}

void CMessageBoxLeakSink::Report(const char* caption, const char* text)
{
    MessageBoxA(nullptr, text, caption, MB_SYSTEMMODAL | MB_ICONERROR);
}

ILeakReportSink* SetLeakReportSink(ILeakReportSink* sink)
{
    if (!sink)
        sink = &s_debugOutput;
    return static_cast<ILeakReportSink*>(
        InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&s_sink), sink));
}

ILeakReportSink& GetLeakReportSink()
{
    return *static_cast<ILeakReportSink*>(
        InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&s_sink), nullptr, nullptr));
}

}}} // namespace Quorvel::Base::Allocator
