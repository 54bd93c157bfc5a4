#pragma once
#include <string>

namespace TestSupport {

// Runs this test program again, on its own, with a gtest filter, and collects the leak
// reports its memory system makes at exit, summarized: pool addresses blanked and repeated
// lines counted. False when the run fails or does not end.
bool RunAndCollectLeakReports(const std::string& filter, std::string& reports);

} // namespace TestSupport
