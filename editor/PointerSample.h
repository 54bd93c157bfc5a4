#pragma once
#include "base/Win32.h"

// The pointer as one tick of the editor sees it. Every face drawn asks where the pointer is,
// and under some systems each ask is a round trip to the window server: a tick draws dozens
// of faces, and the asking cost more than the drawing. While a sample lives, every ask reads
// the position it took when it was made; samples nest, the outermost one serving.
// User-interface thread only.
class CPointerSample {
public:
    CPointerSample();
    ~CPointerSample();
    CPointerSample(const CPointerSample&) = delete;
    CPointerSample& operator=(const CPointerSample&) = delete;
};

// The pointer in screen coordinates: the sample's while one lives, the system's otherwise.
bool PointerPosition(POINT& at);
