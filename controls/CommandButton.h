#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "controls/ButtonGroup.h"
#include "editor/PluginMessages.h"

class IPluginHost;

namespace TervaneControl {

// A command button of the editor: the windows of its identifiers, made from the editor's
// layout as children of the editor window, and the plug-in object it works through.
class CCommandButton : public CButtonGroup {
public:
    CCommandButton(IPluginHost& host, std::vector<uint32_t> identifiers);

    // Creates the windows below the editor window, with skins below the module folder.
    virtual bool Create(HWND editor, const std::string& moduleDirectory);
    // Moves the windows, and keeps the size mode when the request names one.
    void OnSizeMode(WPARAM request) override;
    SizeMode GetSizeMode() const { return m_sizeMode; }

protected:
    IPluginHost& m_host;
    HWND m_editor = nullptr;
    std::string m_moduleDirectory;
    SizeMode m_sizeMode = kSizeModeNormal;

private:
    std::vector<uint32_t> m_identifiers;
};

// The editor takes no input while a question or a file dialog of its own is up; it is
// enabled again however the scope ends, unless an outer scope had disabled it already. A
// disabled editor loses the keyboard; when the question leaves it with no one or with the
// player's window, the keys come back to where they were, so the next key still works.
class CEditorDisabled {
public:
    explicit CEditorDisabled(HWND editor) : m_editor(editor), m_focus(GetFocus())
    {
        if (m_focus != editor && (editor == nullptr || !IsChild(editor, m_focus)))
            m_focus = nullptr;
        m_wasDisabled = editor != nullptr && EnableWindow(editor, FALSE) != FALSE;
    }
    ~CEditorDisabled()
    {
        if (m_editor == nullptr || m_wasDisabled)
            return;
        EnableWindow(m_editor, TRUE);
        const HWND now = GetFocus();
        if (m_focus != nullptr && IsWindow(m_focus) && (now == nullptr || now == GetAncestor(m_editor, GA_ROOT)))
            SetFocus(m_focus);
    }
    CEditorDisabled(const CEditorDisabled&) = delete;
    CEditorDisabled& operator=(const CEditorDisabled&) = delete;

private:
    HWND m_editor;
    HWND m_focus;
    bool m_wasDisabled = false;
};

} // namespace TervaneControl
