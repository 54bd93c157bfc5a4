#include "support/NewsPages.h"

#include <gtest/gtest.h>

#include "editor/PluginMessages.h"
#include "sim/SimHtmlReader.h"
#include "support/TestWindow.h"
#include "ticker/HtmlParser.h"

namespace TestSupport {

std::string TickerPage(const std::vector<std::string>& items)
{
    std::string page = "<!DOCTYPE html><html><head><meta http-equiv='X-UA-Compatible' content='IE=edge' /></head>"
                       "<body><div id='ticker'><div class='news'><div class='group'><div class='list'><ul id='headlines'>\n";
    for (const std::string& item : items)
        page += "<li>" + item + "</li>\n";
    return page + "</ul></div></div></div></div></body></html>\n";
}

std::string Anchor(const std::string& link, const std::string& title)
{
    return "<a href=\"" + link + "\">" + title + "</a>";
}

std::unique_ptr<CSimHtmlSource> SourceFor(const std::string& page)
{
    std::string error;
    std::unique_ptr<CSimHtmlElement> read = ReadSimHtml(page, error);
    EXPECT_TRUE(read) << error;
    return std::unique_ptr<CSimHtmlSource>(new CSimHtmlSource(std::move(read)));
}

namespace {
const wchar_t kTargetClass[] = L"TervaneTickerTarget";
}

CTickerTarget::CTickerTarget()
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &CTickerTarget::Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTargetClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    m_window = CreateWindowExW(0, kTargetClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CTickerTarget::~CTickerTarget()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

LRESULT CALLBACK CTickerTarget::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CTickerTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_PLUGIN_TICKER || self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    ++self->m_received;
    if (self->m_hook != nullptr)
        self->m_hook->HandleMessage(window, message, self->m_sizeMode, lParam);
    return 0;
}

void FetchFrom(CHtmlParser& parser, IHtmlDocumentSource& source, const CTickerTarget& target)
{
    parser.SetTargetWindow(target.Get());
    parser.SetDocumentSource(&source);
    ASSERT_TRUE(parser.StartParser());
    parser.WaitWhileBusy();
    // The message may have been posted after the last look at the queue.
    PumpMessages();
}

} // namespace TestSupport
