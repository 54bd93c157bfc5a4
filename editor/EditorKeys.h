#pragma once
#include <cstdint>
#include <functional>

#include "base/Win32.h"

// What a key pressed in the editor asks for.
struct EditorKeyCommand {
    enum Kind {
        kNone,
        kUndo,
        kRedo,
        kPlayPause,
        kDeleteSelected,
        kSave,
        kLoad,
        kPreviousPoint,
        kNextPoint,
        kZoomIn,
        kZoomOut,
        kPattern, // pattern holds the digit 0-9 (a level while recording)
        kLeadLater,   // the device's lead time 10 ms more
        kLeadEarlier, // 10 ms less
        kSelectAll,
        kEscape,
        kCopy,
        kCut,
        kPaste,
        kNudge,       // tenths holds -10, -1, 1 or 10
        kRecord,
        kLevelUp,     // while recording
        kLevelDown,
        kSaveAs,
        kNew,
        kMostLevelUp, // the user's comfort limit
        kMostLevelDown,
        kPreciseTiming, // commands at their own times between the ticks, on or off
    };
    Kind kind = kNone;
    int32_t pattern = 0;
    int32_t tenths = 0;
};

// The command of a virtual key with the modifiers held (Alt combinations are the player's,
// but Alt with the arrows and Ctrl+Alt with up and down).
EditorKeyCommand CommandOfKey(WPARAM key, bool control, bool shift, bool alt);

// The input method is for the edit boxes. With it on (as our users often have it), a digit or
// Space pressed over a button or a point reaches the editor as VK_PROCESSKEY and starts a
// composition nobody sees: window and every child of it but the edit boxes take keys without
// it. A window made later (a point's) is passed on its own.
void KeepInputMethodToEditBoxes(HWND window);

// The editor's keys, taken as the messages leave the thread's queue: whichever of the
// editor's windows has the focus (a button, a point, the graph), but never the keys meant for
// an edit box, nor any while the editor is disabled by a question of its own. A key the
// handler takes goes no further. User-interface thread only.
class CEditorKeys {
public:
    using Handler = std::function<bool(const EditorKeyCommand&)>;

    CEditorKeys() = default;
    ~CEditorKeys() { Remove(); }
    CEditorKeys(const CEditorKeys&) = delete;
    CEditorKeys& operator=(const CEditorKeys&) = delete;

    bool Install(HWND editor, Handler handler);
    void Remove();

    // One message as it leaves the queue; true when it was the editor's and was taken.
    bool Offer(const MSG& message);
    HWND Editor() const { return m_editor; }

private:
    HWND m_editor = nullptr;
    Handler m_handler;
};
