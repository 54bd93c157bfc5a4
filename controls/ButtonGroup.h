#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "controls/Button.h"
#include "controls/ButtonFace.h"

namespace TervaneControl {

// A button with several windows (two for most commands, ten and eleven for the pattern and
// level rows): each face moves with the size mode, paints its strip and follows its own
// owner-draw notices, and a click reaches OnClicked with the index of its face.
class CButtonGroup : public CButton {
public:
    // One face per record, in order; false when any window could not be made.
    bool CreateFaces(const std::vector<ButtonData>& records, HWND parent);

    void OnSizeMode(WPARAM request) override;
    void OnDraw(HDC dc) override;
    void OnDrawItem(HWND window, WPARAM wParam, const DRAWITEMSTRUCT* item) override;
    void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) override;
    // A click (BN_CLICKED) of the face at index.
    virtual void OnClicked(size_t /*index*/) {}

    size_t FaceCount() const { return m_faces.size(); }
    CButtonFace& Face(size_t index) { return *m_faces[index]; }
    const CButtonFace& Face(size_t index) const { return *m_faces[index]; }

protected:
    std::vector<std::unique_ptr<CButtonFace>> m_faces;
};

} // namespace TervaneControl
