#pragma once
#include <string>

#include "base/Win32.h"

// A registry script: root keys (HKCR, HKLM, HKCU) holding nested keys, each with an optional
// default value, named values and the keywords NoRemove (never deleted) and ForceRemove
// (replaced whole when registering, deleted whole when unregistering):
//
//     HKCR { NoRemove CLSID { ForceRemove {...} = s 'name' { val ThreadingModel = s 'Apartment' } } }
//
// Values are strings (s 'text', '' for a quote) or 32-bit numbers (d 'decimal'); %MODULE% in
// a string stands for the module's path. Returns S_OK, a registry error as an HRESULT, or
// E_INVALIDARG for a script it cannot read (then nothing was changed).
HRESULT ApplyRegistryScript(const std::string& script, const std::wstring& modulePath, bool registering);
