#pragma once
#include "base/Win32.h"
#include <guiddef.h>

// The class identifier of the plug-in object, the same in the class table and in every
// registry key that names the plug-in.
extern const CLSID CLSID_TervanePlugin;
// Its braced text form, as the registry holds it.
extern const char kTervanePluginClsidText[];
