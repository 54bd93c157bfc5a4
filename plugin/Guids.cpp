#include "plugin/Guids.h"

const CLSID CLSID_TervanePlugin = {0x7c3b1e52, 0x94a6, 0x4d1f, {0xb8, 0x2e, 0x5a, 0x61, 0x0f, 0xd4, 0x93, 0x27}};
const char kTervanePluginClsidText[] = "{7C3B1E52-94A6-4D1F-B82E-5A610FD49327}";
