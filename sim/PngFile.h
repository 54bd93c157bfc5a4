#pragma once
#include <string>

#include "editor/DibCanvas.h"

// Writes the canvas as a PNG picture (8-bit RGB, no interlace). False when it can't be written.
bool WritePng(const std::string& path, const CDibCanvas& canvas);
