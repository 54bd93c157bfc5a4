#pragma once
// GDI+ needs the COM property types that the lean Windows headers leave out.
#include "base/Win32.h"
#include <objidl.h>
#include <gdiplus.h>
