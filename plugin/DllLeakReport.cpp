// Only the product module shows leak reports in message boxes; the test and tool programs
// link the same library but keep the non-modal default, so nothing ever waits for a click
// when they exit.
#include "base/allocator/LeakReport.h"

namespace {
Quorvel::Base::Allocator::CMessageBoxLeakSink s_messageBoxes;

class CLeakReportsInMessageBoxes {
public:
    CLeakReportsInMessageBoxes() { Quorvel::Base::Allocator::SetLeakReportSink(&s_messageBoxes); }
};
CLeakReportsInMessageBoxes s_install;
} // namespace
