#pragma once
#include <cstdint>
#include <string>

#include "base/Win32.h"
#include "editor/GdiObjects.h"

// The faces the editor draws with (a Japanese Windows has both).
constexpr wchar_t kGothicFace[] = L"ＭＳ　ゴシック";
constexpr wchar_t kPopFace[] = L"HG創英角ﾎﾟｯﾌﾟ体";

// Every font of the editor: Shift-JIS, proof quality, fixed pitch, modern family.
HFONT CreateEditorFont(int height, const wchar_t* face, int weight = FW_NORMAL, bool underline = false);

// One line of text with its top-left corner at (x, y), unclipped: what DrawTextW with
// DT_SINGLELINE | DT_NOCLIP draws of text without an ampersand, without measuring it first,
// which cost more than the drawing for the graph's labels on every tick.
inline void DrawTextAt(HDC dc, int x, int y, const wchar_t* text, size_t length)
{
    ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

// Switches the system's font smoothing on while the editor has fonts, and puts the user's
// own setting back afterwards. One instance at a time, made and dropped by CFont.
class CFontInitializer {
public:
    CFontInitializer();
    CFontInitializer(const CFontInitializer&) = delete;
    CFontInitializer& operator=(const CFontInitializer&) = delete;
    virtual ~CFontInitializer();

private:
    BOOL m_smoothing = FALSE;
    bool m_known = false;
};

// A font of the editor's edit boxes: face name (Shift-JIS), text colour and the owned font
// handle. The first CFont alive switches font smoothing on; when the last one goes, the
// system setting returns to what it was, so the host is not left changed after the editor
// closes.
class CFont {
public:
    CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    virtual ~CFont();

    const std::string& GetFaceName() const { return m_faceName; }
    // 0xAARRGGBB.
    uint32_t GetTextColour() const { return m_textColour; }
    HFONT GetHandle() const { return m_font.Get(); }
    // Takes ownership of font; the previous handle is deleted.
    void SetHandle(HFONT font) { m_font.Reset(font); }

private:
    std::string m_faceName;
    uint32_t m_textColour;
    CFontHandle m_font;
};
