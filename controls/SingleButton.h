#pragma once
#include "controls/ButtonGroup.h"

namespace TervaneControl {

// A button with one window: a button group of one face, whose click needs no index.
class CSingleButton : public CButtonGroup {
public:
    bool Create(const ButtonData& data, HWND parent) { return CreateFaces({data}, parent); }

    void OnClicked(size_t /*index*/) override { OnClicked(); }
    // A click of this button's identifier (BN_CLICKED only).
    virtual void OnClicked() {}

    void Enable(bool enable) { Face().Enable(enable); }
    using CButtonGroup::Face;
    // Valid once the button was created.
    CButtonFace& Face() { return CButtonGroup::Face(0); }
};

} // namespace TervaneControl
