#pragma once
// Deterministic damage to the inputs of a reader: input k of a run is a function of the run's
// seed, the reader and k alone, so that one input can be made again without the others.
#include <cstdint>
#include <string>
#include <vector>

class CFuzzMutator {
public:
    CFuzzMutator(uint64_t seed, uint32_t reader, uint64_t index);

    uint32_t Below(uint32_t n);
    // One seed, or two spliced, then one to eight damages; never longer than maxSize.
    std::string Make(const std::vector<std::string>& seeds, size_t maxSize);

private:
    uint64_t Next();
    void Damage(std::string& bytes, const std::vector<std::string>& seeds);
    void PutNumberAtItsLimit(std::string& bytes);
    void PutField(std::string& bytes);

    uint64_t m_state;
};
