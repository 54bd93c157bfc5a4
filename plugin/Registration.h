#pragma once
#include "base/Win32.h"

// The registry script resource of the module (type "REGISTRY", identifier 101).
constexpr int kRegistryScriptId = 101;

// Writes (or removes) the plug-in's registry entries from the module's registry script with
// its own path for %MODULE%, then tells running players that the plug-ins changed, whatever
// the result. Returns the registry layer's result.
HRESULT RegisterPluginServer(HINSTANCE module);
HRESULT UnregisterPluginServer(HINSTANCE module);
