#pragma once
#include <cstdint>
#include <string>

#include "base/Win32.h"
#include "controls/Button.h"
#include "controls/ButtonData.h"

class CTimeLineButtonManager;

// The pattern drop image: a hidden button window of the time line whose strip shows the
// current pattern under the pointer while the pointer rests over a free spot of the graph.
// A left click there adds an entry with that pattern; the mouse wheel steps the pattern.
// It draws with the time line's shared point strip, whose columns are the ten patterns.
class CDropDrawButton : public TervaneControl::CButton {
public:
    static constexpr uint32_t kControlId = 49;

    explicit CDropDrawButton(CTimeLineButtonManager& manager);
    ~CDropDrawButton() override;

    // The record of the drop image, its skin below skinFolder.
    static TervaneControl::ButtonData MakeData(const std::string& skinFolder);

    // Creates the hidden window under parent; editor receives the focus and the pattern messages.
    bool Create(const TervaneControl::ButtonData& data, HWND parent, HWND editor);
    void Destroy();
    HWND GetWindow() const { return m_window; }
    int32_t GetPattern() const { return m_pattern; }
    bool HasDropped() const { return m_dropped; }

    void OnSizeMode(WPARAM) override {}
    void OnDraw(HDC dc) override;
    void OnPattern(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonDown(HWND window, WPARAM wParam, uint32_t x, uint32_t y) override;
    void OnPointerMoved(HWND window, int32_t x, int32_t y) override;
    void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam) override;

private:
    void SetColumn(int32_t column);

    CTimeLineButtonManager& m_manager;
    TervaneControl::ButtonData m_data;
    HWND m_window = nullptr;
    HWND m_editor = nullptr;
    int32_t m_pattern = 0;
    int32_t m_hotX = 10;
    int32_t m_hotY = 10;
    int32_t m_imageX = 0;
    int32_t m_imageY = 0;
    bool m_dropped = false;
};
