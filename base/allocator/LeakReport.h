#pragma once

namespace Quorvel { namespace Base { namespace Allocator {

// Where the leak reports go when the memory system is torn down. The product DLL shows
// them in message boxes; every other program keeps the default, which writes them to the
// debugger output, so that no test or tool can ever stop at a modal box at exit.
// Sinks are called at process exit, after other static objects are gone: they must not
// need a destructor (keep them trivially destructible and constant-initialized).
class ILeakReportSink {
public:
    virtual void Report(const char* caption, const char* text) = 0;

protected:
    ~ILeakReportSink() = default;
};

class CDebugOutputLeakSink : public ILeakReportSink {
public:
    void Report(const char* caption, const char* text) override;
};

class CMessageBoxLeakSink : public ILeakReportSink {
public:
    void Report(const char* caption, const char* text) override;
};

// Process-wide sink; never null. Returns the previous one.
ILeakReportSink* SetLeakReportSink(ILeakReportSink* sink);
ILeakReportSink& GetLeakReportSink();

}}} // namespace Quorvel::Base::Allocator
