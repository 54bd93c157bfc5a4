#pragma once
// The one way Windows headers enter the project; the target version and the lean
// switches come from the build so that every translation unit agrees on them.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
