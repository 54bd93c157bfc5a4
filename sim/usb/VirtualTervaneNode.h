#pragma once
// The virtual Tervane device's node in the prefix's device tree, as SetupAPI installs and
// removes it: adding a node is plugging the device in, removing it an unplug. Needs a
// program of the prefix's own bitness (64-bit here), as device installation does on Windows.
#include <string>

namespace VirtualTervaneNode {

// Nodes with the device's hardware ID.
int Count();
// Adds a node and installs the driver of `infPath` on it.
bool Add(const std::string& infPath, std::string& error);
// Removes every node of the device; how many, or -1 with error set.
int RemoveAll(std::string& error);
// Removes the nodes and the driver's service with its faults and record.
bool Uninstall(std::string& error);

} // namespace VirtualTervaneNode
