#include "controls/CommandButton.h"

#include <utility>

#include "controls/ButtonLayout.h"

namespace TervaneControl {

CCommandButton::CCommandButton(IPluginHost& host, std::vector<uint32_t> identifiers)
    : m_host(host), m_identifiers(std::move(identifiers))
{
}

bool CCommandButton::Create(HWND editor, const std::string& moduleDirectory)
{
    m_editor = editor;
    m_moduleDirectory = moduleDirectory;
    return CreateFaces(EditorButtonRecords(m_identifiers, moduleDirectory), editor);
}

void CCommandButton::OnSizeMode(WPARAM request)
{
    CButtonGroup::OnSizeMode(request);
    SizeMode mode;
    if (SizeModeFromRequest(request, mode))
        m_sizeMode = mode;
}

} // namespace TervaneControl
