#pragma once
#include <cstdint>
#include <vector>

#include "base/Win32.h"
#include "editor/DibCanvas.h"
#include "timesheet/GraphPainter.h"

// A face under the pointer or a press, with the faces of later keys that lie over it, kept
// as one keyed image while they stay the same: in zoom 2 some forty faces lie over each one,
// and drawing them all again on every tick cost more than the rest of the time line.
class CFaceStack {
public:
    struct Face {
        int dx, dy; // from the bottom face's corner
        int32_t pattern, state;
        bool operator==(const Face& o) const
        {
            return dx == o.dx && dy == o.dy && pattern == o.pattern && state == o.state;
        }
    };
    // faces[0] is the bottom one, its corner at (left, top); the stack is cut to its square.
    void Paint(HDC dest, int left, int top, const std::vector<Face>& faces, CGraphPainter& painter);
    void Release();

private:
    CDibSurface m_colour;
    CDibSurface m_mask;
    std::vector<Face> m_faces;
};
