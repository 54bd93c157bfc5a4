#pragma once
#include <cstdint>
#include <string>

#include "base/Win32.h"
#include "controls/Button.h"
#include "controls/ButtonData.h"

// What the drop image asks of the time line.
class IDropHost {
public:
    // The pointer in the coordinates of the graph's window; false when it cannot be told.
    virtual bool CursorInParent(POINT& point) const = 0;
    // Over the graph and over no point.
    virtual bool IsOverFreeSpot(POINT cursor) const = 0;
    // A click on a free spot: an entry there with the pattern.
    virtual bool AddPointAt(POINT point, int32_t pattern) = 0;
    virtual void RepatternSelected(int32_t pattern) = 0;
    // The image of a pattern's point, its top-left corner at (x, y).
    virtual void PaintDropImage(HDC dc, int x, int y, int32_t pattern) = 0;

protected:
    ~IDropHost() = default;
};

// The pattern drop image: a hidden button window of the time line whose strip shows the
// current pattern under the pointer while the pointer rests over a free spot of the graph.
// The window stays hidden and disabled, as the image is drawn at the pointer: telling it where
// the pointer is, or whether over a free spot, cost system calls at every tick of a pointer
// resting on a scrolling graph.
// A left click there adds an entry with that pattern; the mouse wheel steps the pattern.
// It draws with the time line's point faces, whose columns are the ten patterns.
class CDropDrawButton : public TervaneControl::CButton {
public:
    static constexpr uint32_t kControlId = 49;

    explicit CDropDrawButton(IDropHost& host);
    ~CDropDrawButton() override;

    // The record of the drop image, its skin below skinFolder.
    static TervaneControl::ButtonData MakeData(const std::string& skinFolder);

    // Creates the hidden window under parent; editor receives the focus and the pattern messages.
    bool Create(const TervaneControl::ButtonData& data, HWND parent, HWND editor);
    void Destroy();
    HWND GetWindow() const { return m_window; }
    int32_t GetPattern() const { return m_pattern; }
    // Whether the image shows at the pointer: over a free spot, as of the last tick.
    void ShowImage(bool shown) { m_shown = shown; }
    bool IsImageShown() const { return m_shown; }
    bool HasDropped() const { return m_dropped; }

    void OnSizeMode(WPARAM) override {}
    void OnDraw(HDC dc) override;
    void OnPattern(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonDown(HWND window, WPARAM wParam, uint32_t x, uint32_t y) override;
    void OnPointerMoved(HWND window, int32_t x, int32_t y) override;
    void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam) override;

private:
    void SetColumn(int32_t column);

    IDropHost& m_host;
    TervaneControl::ButtonData m_data;
    HWND m_window = nullptr;
    HWND m_editor = nullptr;
    int32_t m_pattern = 0;
    int32_t m_hotX = 10;
    int32_t m_hotY = 10;
    int32_t m_imageX = 0;
    int32_t m_imageY = 0;
    bool m_dropped = false;
    bool m_shown = false;
};
