#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "controls/ButtonData.h"

namespace TervaneControl {

// Where one button of the editor sits in each size mode, its size and its skin strip.
struct ButtonLayout {
    uint32_t controlId;
    int32_t normalX, normalY;
    int32_t wideX, wideY;
    int32_t miniX, miniY;
    int32_t width, height;
    const char* skin; // below the module folder, e.g. "\obj\a000_001.bmp"
    uint32_t columns;
    int32_t column;
};

// The control identifiers of the editor: the menu handles of its windows, which WM_COMMAND
// carries back.
enum ControlId : uint32_t {
    kIdFileNameBox = 20,
    kIdTimeBox = 21,
    kIdWindowShrink = 23,
    kIdWindowEnlarge = 24,
    kIdPreviousPoint = 25,
    kIdNextPoint = 26,
    kIdInsert = 27,
    kIdZoomIn = 29,
    kIdZoomOut = 30,
    kIdSave = 31,
    kIdLoad = 32,
    kIdPlayPause = 33,
    kIdPreview = 35,
    kIdSpeedUp = 37,
    kIdSpeedDown = 38,
    kIdStop = 39,
    kIdDeleteAll = 40,
    kIdManual = 43,
    kIdLink = 44,
    kIdSeekBack = 45,
    kIdSeekForward = 46,
    kIdFirstPattern = 50,
    kIdFirstLevel = 70,
};
constexpr int32_t kPatternCount = 10;
constexpr int32_t kLevelCount = 11;

// Every skin strip has one row per display state.
constexpr uint32_t kButtonSkinRows = 5;
constexpr uint32_t kButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;

// The editor's command buttons in creation order: the fixed buttons, then the ten pattern
// buttons (identifiers 50-59) and the eleven level buttons (70-80).
std::vector<ButtonLayout> EditorButtonLayouts();

// The record of a button, with the skin (and its "_alp" companion, where there is one)
// joined to the module folder.
ButtonData MakeButtonData(const ButtonLayout& layout, const std::string& moduleDirectory);

// The records of the editor's buttons with these identifiers, in the order given; an
// identifier of no button is left out.
std::vector<ButtonData> EditorButtonRecords(const std::vector<uint32_t>& identifiers,
                                            const std::string& moduleDirectory);

} // namespace TervaneControl
