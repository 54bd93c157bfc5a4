#pragma once
#include <string>
#include <vector>

#include "base/allocator/LeakReport.h"

// Records leak reports instead of showing them.
class CLeakCapture : public Quorvel::Base::Allocator::ILeakReportSink {
public:
    struct SReport {
        std::string caption;
        std::string text;
    };
    void Report(const char* caption, const char* text) override { reports.push_back({caption, text}); }

    std::vector<SReport> reports;
};
