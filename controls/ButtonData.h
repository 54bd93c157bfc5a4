#pragma once
#include <cstdint>
#include <string>

#include "base/Win32.h"

namespace TervaneControl {

// Describes one button window: style, position per size mode, size, skin strip and control
// identifier. A button keeps its own copy.
class ButtonData {
public:
    virtual ~ButtonData() = default;

    uint32_t m_style = 0;
    int32_t m_normalX = 0;
    int32_t m_normalY = 0;
    int32_t m_wideX = 0;
    int32_t m_wideY = 0;
    int32_t m_miniX = 0;
    int32_t m_miniY = 0;
    // The strip column that holds this button's face; rows 0-4 are its five states.
    int32_t m_skinColumn = 0;
    // Carried along with the record; no button reads it.
    int32_t m_secondSelector = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::string m_skinPath;
    // The skin's "_alp" companion; carried along, the strip uses the colour key instead.
    std::string m_maskPath;
    uint32_t m_controlId = 0;
    uint32_t m_columns = 1;
    uint32_t m_rows = 1;
    // Set only by the pattern drop button's record (10 and 5).
    uint32_t m_extra1 = 0;
    uint32_t m_extra2 = 0;
};

} // namespace TervaneControl
