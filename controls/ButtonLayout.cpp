#include "controls/ButtonLayout.h"

#include <cstring>

namespace TervaneControl {

namespace {

const ButtonLayout kFixedButtons[] = {
    // In the mini window the manual button sits 12 pixels further left than in the normal
    // one: at 370 its right end would lie under the shrink button at 432.
    {43, 370, 4, 870, 4, 358, 4, 70, 26, "\\obj\\a000_001.bmp", 1, 0},      // manual
    {23, 444, 5, 944, 5, 432, 5, 24, 24, "\\obj\\a000_002.bmp", 2, 1},      // window shrink
    {24, 472, 5, 972, 5, 460, 5, 24, 24, "\\obj\\a000_002.bmp", 2, 0},      // window enlarge
    {32, 364, 71, 858, 71, 436, 40, 44, 26, "\\obj\\a000_003.bmp", 2, 0},   // load
    {31, 417, 71, 911, 71, 0, 0, 44, 26, "\\obj\\a000_003.bmp", 2, 1},      // save
    {30, 35, 332, 286, 481, 35, 332, 24, 24, "\\obj\\a004_000.bmp", 2, 0},  // graph zoom-out
    {29, 63, 332, 314, 481, 63, 332, 24, 24, "\\obj\\a004_000.bmp", 2, 1},  // graph zoom-in
    {25, 193, 338, 443, 487, 193, 338, 32, 32, "\\obj\\a005_000.bmp", 2, 0}, // previous point
    {26, 225, 338, 475, 487, 225, 338, 32, 32, "\\obj\\a005_000.bmp", 2, 1}, // next point
    {33, 365, 382, 615, 531, 365, 382, 38, 38, "\\obj\\a010_003.bmp", 1, 0}, // play/pause
    {39, 414, 389, 664, 538, 414, 389, 32, 32, "\\obj\\a010_004.bmp", 1, 0}, // stop
    {45, 23, 305, 41, 449, 23, 305, 17, 17, "\\obj\\a003_002.bmp", 2, 0},    // seek back
    {46, 454, 305, 946, 449, 454, 305, 17, 17, "\\obj\\a003_002.bmp", 2, 1}, // seek forward
    {38, 212, 391, 462, 540, 212, 391, 32, 32, "\\obj\\a009_000.bmp", 2, 0}, // speed down
    {37, 248, 391, 498, 540, 248, 391, 32, 32, "\\obj\\a009_000.bmp", 2, 1}, // speed up
    {27, 415, 447, 665, 596, 415, 447, 70, 62, "\\obj\\a011_001.bmp", 1, 0}, // insert
    {35, 420, 518, 670, 667, 420, 518, 70, 26, "\\obj\\a011_003.bmp", 1, 0}, // preview
    {44, 4, 553, 4, 702, 4, 553, 100, 21, "\\obj\\a012_000.bmp", 1, 0},      // link
    {40, 448, 553, 698, 702, 448, 553, 46, 21, "\\obj\\a013_000.bmp", 1, 0}, // delete all
};

const char kDigitSkin[] = "\\obj\\a011_000.bmp";
constexpr uint32_t kDigitColumns = 11;

// The seek arrows have no "_alp" companion.
const char kSkinWithoutMask[] = "\\obj\\a003_002.bmp";

} // namespace

std::vector<ButtonLayout> EditorButtonLayouts()
{
    std::vector<ButtonLayout> layouts(std::begin(kFixedButtons), std::end(kFixedButtons));
    for (int32_t i = 0; i < kPatternCount; ++i) {
        layouts.push_back(ButtonLayout{static_cast<uint32_t>(kIdFirstPattern + i), 58 + 32 * i, 445, 308 + 32 * i, 594,
                                       58 + 32 * i, 445, 28, 28, kDigitSkin, kDigitColumns, i});
    }
    for (int32_t i = 0; i < kLevelCount; ++i) {
        layouts.push_back(ButtonLayout{static_cast<uint32_t>(kIdFirstLevel + i), 58 + 32 * i, 481, 308 + 32 * i, 630,
                                       58 + 32 * i, 481, 28, 28, kDigitSkin, kDigitColumns, i});
    }
    return layouts;
}

ButtonData MakeButtonData(const ButtonLayout& layout, const std::string& moduleDirectory)
{
    ButtonData data;
    data.m_style = kButtonStyle;
    data.m_normalX = layout.normalX;
    data.m_normalY = layout.normalY;
    data.m_wideX = layout.wideX;
    data.m_wideY = layout.wideY;
    data.m_miniX = layout.miniX;
    data.m_miniY = layout.miniY;
    data.m_skinColumn = layout.column;
    data.m_width = layout.width;
    data.m_height = layout.height;
    data.m_skinPath = moduleDirectory + layout.skin;
    if (std::strcmp(layout.skin, kSkinWithoutMask) != 0) {
        std::string mask = layout.skin;
        mask.insert(mask.size() - 4, "_alp"); // before ".bmp"
        data.m_maskPath = moduleDirectory + mask;
    }
    data.m_controlId = layout.controlId;
    data.m_columns = layout.columns;
    data.m_rows = kButtonSkinRows;
    return data;
}

std::vector<ButtonData> EditorButtonRecords(const std::vector<uint32_t>& identifiers,
                                            const std::string& moduleDirectory)
{
    const std::vector<ButtonLayout> layouts = EditorButtonLayouts();
    std::vector<ButtonData> records;
    for (uint32_t identifier : identifiers) {
        for (const ButtonLayout& layout : layouts) {
            if (layout.controlId == identifier) {
                records.push_back(MakeButtonData(layout, moduleDirectory));
                break;
            }
        }
    }
    return records;
}

} // namespace TervaneControl
