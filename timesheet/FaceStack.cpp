#include "timesheet/FaceStack.h"

void CFaceStack::Paint(HDC dest, int left, int top, const std::vector<Face>& faces, CGraphPainter& painter)
{
    if (dest == nullptr || faces.empty())
        return;
    if (!m_colour || !m_mask || faces != m_faces) {
        if ((!m_colour && !m_colour.Create(dest, kPointSize, kPointSize)) ||
            (!m_mask && !m_mask.Create(dest, kPointSize, kPointSize))) {
            Release();
            return;
        }
        PatBlt(m_colour.Dc(), 0, 0, kPointSize, kPointSize, BLACKNESS);
        PatBlt(m_mask.Dc(), 0, 0, kPointSize, kPointSize, WHITENESS);
        for (const Face& face : faces)
            painter.PaintPointInto(m_colour.Dc(), m_mask.Dc(), face.dx, face.dy, face.pattern, face.state);
        m_faces = faces;
    }
    // Keyed blits of a stack drawn keyed leave what drawing each face keyed in turn would.
    BitBlt(dest, left, top, kPointSize, kPointSize, m_mask.Dc(), 0, 0, SRCAND);
    BitBlt(dest, left, top, kPointSize, kPointSize, m_colour.Dc(), 0, 0, SRCPAINT);
}

void CFaceStack::Release()
{
    m_colour.Reset();
    m_mask.Reset();
    m_faces.clear();
}
