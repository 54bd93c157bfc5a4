#include "controls/ShellButtons.h"

#include "controls/ButtonLayout.h"
#include "editor/ShellSeam.h"
#include "editor/SiteAddress.h"

namespace TervaneControl {

namespace {

constexpr char kManualFile[] = "\\users_manual.html";

} // namespace

CManualButton::CManualButton(IPluginHost& host) : CCommandButton(host, {kIdManual}) {}

void CManualButton::OnClicked(size_t)
{
    // Without the module's folder there is no manual to show, only a name that means nothing.
    if (m_moduleDirectory.empty())
        return;
    const std::string manual = m_moduleDirectory + kManualFile;
    BoundShell().ShellExecuteA(m_editor, nullptr, manual.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

CLinkButton::CLinkButton(IPluginHost& host) : CCommandButton(host, {kIdLink}) {}

void CLinkButton::OnClicked(size_t)
{
    const std::string address = SiteAddressFromFile(m_moduleDirectory, kLinkAddressFile, kDefaultLinkAddress);
    BoundShell().ShellExecuteA(m_editor, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace TervaneControl
