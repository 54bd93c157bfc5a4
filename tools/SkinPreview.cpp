// Renders the editor's background in each size mode with every command button into the
// back buffer, as the editor draws them, and saves one picture for a person to look at:
// the normal, mini and wide modes plus a sheet of a few buttons in their five states.
//
//   skin_preview.exe [folder that holds obj] [picture.bmp]
//
// Defaults: the folder above the tool's own (build/<arch>, beside the plug-in DLL) and
// skin_preview.bmp in that folder.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "controls/ButtonLayout.h"
#include "controls/SingleButton.h"
#include "editor/BitmapObject.h"
#include "editor/DibCanvas.h"
#include "editor/EditorContext.h"
#include "editor/GdiplusSession.h"
#include "editor/ModulePath.h"
#include "editor/ParentStaticObject.h"
#include "editor/PluginMessages.h"
#include "sim/EditorStandIn.h"

using TervaneControl::ButtonLayout;
using TervaneControl::CSingleButton;

namespace {

constexpr int kMargin = 16;
constexpr int kCaption = 22;
constexpr COLORREF kPaper = RGB(28, 30, 36);
constexpr COLORREF kInk = RGB(230, 230, 230);

struct Panel {
    const char* caption;
    WPARAM request;
    int width, height;
    int x, y;
};

void Text(HDC dc, int x, int y, const std::string& text)
{
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

struct SheetRow {
    uint32_t controlId;
    const char* name;
};

const SheetRow kSheetRows[] = {
    {43, "manual"}, {32, "load"},     {31, "save"},       {33, "play/pause"}, {39, "stop"},
    {37, "speed up"}, {27, "insert"}, {35, "preview"},    {53, "pattern 3"},  {77, "level 7"},
    {44, "link"},   {40, "delete all"},
};
const char* const kStateNames[] = {"0 normal", "1 hover", "2 pressed", "3 pressed+hover", "4 disabled"};
constexpr int kSheetLabelWidth = 90;
constexpr int kSheetColumnWidth = 120;

} // namespace

int main(int argc, char** argv)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::string toolFolder = ModuleDirectory(instance);
    const std::string folder = argc > 1 ? argv[1] : DirectoryOfPath(toolFolder);
    const std::string output = argc > 2 ? argv[2] : folder + "\\skin_preview.bmp";

    CGdiplusSession gdiplus;
    if (!gdiplus.IsStarted()) {
        std::fprintf(stderr, "skin_preview: GDI+ did not start\n");
        return 1;
    }
    // Hidden and far from the cursor, so that no button hovers.
    const HWND editor = CreateEditorStandIn(instance, -4000, -4000, false);
    CParentStaticObject parent;
    if (editor == nullptr || !parent.Create(instance, editor)) {
        std::fprintf(stderr, "skin_preview: no window (is there an X display?)\n");
        return 1;
    }

    int missing = 0;
    CBitmapObject background;
    background.InitializeFrom(parent.GetWindow(), parent.GetScratchDC(), parent.GetBackBufferDC(), folder, nullptr);
    for (int i = 0; i < kBackgroundSkinCount; ++i) {
        if (background.GetTexture(i).GetImageWidth() == 0) {
            std::fprintf(stderr, "skin_preview: missing %s%s\n", folder.c_str(), kBackgroundSkins[i].file);
            ++missing;
        }
    }
    ControlHookList().Add(&background);

    const std::vector<ButtonLayout> layouts = TervaneControl::EditorButtonLayouts();
    std::vector<std::unique_ptr<CSingleButton>> buttons;
    for (const ButtonLayout& layout : layouts) {
        buttons.push_back(std::make_unique<CSingleButton>());
        CSingleButton& button = *buttons.back();
        button.Create(TervaneControl::MakeButtonData(layout, folder), editor);
        button.SetDrawContext(parent.GetBackBufferDC(), parent.GetScratchDC());
        if (button.Face().GetStrip().GetCellWidth() == 0) {
            std::fprintf(stderr, "skin_preview: missing %s%s\n", folder.c_str(), layout.skin);
            ++missing;
        }
        // A chosen pattern and level, as a user would see them.
        if (layout.controlId == 53 || layout.controlId == 75)
            button.Face().GetStrip().SetState(TervaneControl::kStatePressed);
        ControlHookList().Add(&button);
    }

    int sheetHeight = kCaption;
    for (const SheetRow& row : kSheetRows) {
        for (size_t i = 0; i < layouts.size(); ++i)
            if (layouts[i].controlId == row.controlId)
                sheetHeight += layouts[i].height + 8;
    }
    const Panel panels[] = {
        {"normal 500 x 600", kSizeModeRequestNormal, 500, 600, kMargin, kMargin + kCaption},
        {"mini 500 x 74", kSizeModeRequestMini, 500, 74, kMargin, kMargin + kCaption + 600 + kMargin + kCaption},
        {"wide 1000 x 750", kSizeModeRequestWide, 1000, 750, kMargin + 500 + kMargin, kMargin + kCaption},
    };
    const int sheetX = kMargin;
    const int sheetY = kMargin + kCaption + 750 + kMargin + kCaption;
    const int pictureWidth = kMargin * 3 + 500 + 1000;
    const int pictureHeight = sheetY + sheetHeight + kMargin;
    CDibCanvas picture(pictureWidth, pictureHeight, kPaper);
    if (!picture.Valid()) {
        std::fprintf(stderr, "skin_preview: no memory for the picture\n");
        return 1;
    }
    SetBkMode(picture.Dc(), TRANSPARENT);
    SetTextColor(picture.Dc(), kInk);
    SelectObject(picture.Dc(), GetStockObject(DEFAULT_GUI_FONT));

    const HDC back = parent.GetBackBufferDC();
    for (const Panel& panel : panels) {
        ControlHookList().Dispatch(editor, WM_PLUGIN_SIZEMODE, panel.request, 0, nullptr, false);
        PatBlt(back, 0, 0, kBackBufferWidth, kBackBufferHeight, BLACKNESS);
        parent.Render(parent.GetWindow());
        Text(picture.Dc(), panel.x, panel.y - kCaption + 4, panel.caption);
        BitBlt(picture.Dc(), panel.x, panel.y, panel.width, panel.height, back, 0, 0, SRCCOPY);
    }

    // The state sheet: each row one button, each column one state, over the normal background.
    ControlHookList().Dispatch(editor, WM_PLUGIN_SIZEMODE, kSizeModeRequestNormal, 0, nullptr, false);
    PatBlt(back, 0, 0, kBackBufferWidth, kBackBufferHeight, BLACKNESS);
    background.HandleMessage(editor, WM_PAINT, reinterpret_cast<WPARAM>(back), 0);
    const COLORREF panelColour = GetPixel(back, 250, 20);
    const HBRUSH brush = CreateSolidBrush(panelColour == CLR_INVALID ? RGB(60, 60, 70) : panelColour);
    const RECT sheetArea = {0, 0, kSheetLabelWidth + 5 * kSheetColumnWidth, sheetHeight};
    FillRect(back, &sheetArea, brush);
    DeleteObject(brush);
    Text(picture.Dc(), sheetX, sheetY - kCaption + 4, "button states");
    for (int state = 0; state < 5; ++state)
        Text(picture.Dc(), sheetX + kSheetLabelWidth + state * kSheetColumnWidth, sheetY + 4, kStateNames[state]);
    int rowY = kCaption;
    for (const SheetRow& row : kSheetRows) {
        for (size_t i = 0; i < layouts.size(); ++i) {
            if (layouts[i].controlId != row.controlId)
                continue;
            CGdiTexture& strip = buttons[i]->Face().GetStrip();
            for (int state = 0; state < 5; ++state) {
                strip.SetPosition(kSheetLabelWidth + state * kSheetColumnWidth, rowY);
                strip.SetState(state);
                strip.DrawKeyed(back);
            }
            Text(picture.Dc(), sheetX, sheetY + rowY + layouts[i].height / 2 - 7, row.name);
            rowY += layouts[i].height + 8;
        }
    }
    BitBlt(picture.Dc(), sheetX + kSheetLabelWidth, sheetY + kCaption, 5 * kSheetColumnWidth, sheetHeight - kCaption,
           back, kSheetLabelWidth, kCaption, SRCCOPY);

    ControlHookList().Clear();
    buttons.clear();
    if (!picture.SaveBmp24(output)) {
        std::fprintf(stderr, "skin_preview: could not write %s\n", output.c_str());
        return 1;
    }
    std::printf("skin_preview: wrote %s (%d x %d)%s\n", output.c_str(), pictureWidth, pictureHeight,
                missing > 0 ? ", some skins are missing" : "");
    DestroyWindow(editor);
    return missing > 0 ? 2 : 0;
}
