#pragma once
// The control channel of the virtual Tervane device: the fault counts it reads at each write
// and the record it keeps of every write, both in the registry under its service key. Works
// from 32-bit and 64-bit programs alike (that part of the registry is shared).
#include <cstdint>
#include <string>
#include <vector>

#include "sim/usb/VirtualTervaneProtocol.h"

namespace VirtualTervaneChannel {

// The next `count` writes fail at once (VT_EVERY_WRITE: every later write until cleared).
bool SetFailWrites(uint32_t count, std::string& error);
// The next `count` writes stay pending past any wait the writer makes, then fail.
bool SetHoldWrites(uint32_t count, std::string& error);
bool ClearFaults(std::string& error);

// Entries recorded so far; the record holds them in arrival order.
uint32_t RecordCount();
// The entries from `first` on (fewer when the record is shorter).
std::vector<VtRecordEntry> ReadRecord(uint32_t first);
// Forgets every entry; for a session that starts its own count at zero.
bool ClearRecord(std::string& error);

// "taken", "failed" or "held".
const char* OutcomeName(uint32_t outcome);

} // namespace VirtualTervaneChannel
