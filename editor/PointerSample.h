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
// The same in a window's client coordinates. While a sample lives the conversion is made once
// for the last window asked: the faces of a tick share the window they lie on.
bool PointerInClient(HWND window, POINT& at);

// While the thread's messages are watched, a sample asks the system only when the pointer
// may have moved unseen: the mouse messages the thread takes tell where it is, and a window
// of the editor it rests on is watched for the pointer leaving it. A tick with the pointer
// at rest then costs no round trip at all. Watches nest.
void WatchPointer(bool on);
// A message the thread took from its queue; ours tells whether a window belongs to an
// editor, asked only of a window the pointer newly came over.
void NotePointerMessage(const MSG& message, bool (*ours)(HWND));
// How many times a sample asked the system so far.
unsigned PointerQueries();
