#pragma once
// Every reader of outside data, each driven by one input at a time through the memory files:
// the time-sheet reader (with the device's list and the time line that follow what it read),
// the pack reader, the settings file, the address files and the news ticker's walk over a
// page read by the in-memory HTML reader.
#include <string>
#include <vector>

class CMemoryFiles;

// The folder that the memory files stand for.
constexpr char kFuzzFolder[] = "C:\\tervane-fuzz";

struct FuzzReader {
    const char* name;
    std::vector<std::string> seeds;
    // Reads the input; a non-empty result names a fault that is not a crash (a result that
    // breaks the reader's own promise).
    std::string (*read)(CMemoryFiles& files, const std::string& input);
};

std::vector<FuzzReader> FuzzReaders();
