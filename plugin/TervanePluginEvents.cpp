// The player's events as the plug-in follows them, and what the editor asks of the player:
// the medium of a time sheet and loading a sheet on both sides.
#include "plugin/TervanePlugin.h"

#include "base/file/FilePath.h"
#include "base/text/CodePage.h"
#include "device/TervaneManager.h"
#include "editor/PluginMessages.h"
#include "editor/PluginWindow.h"

using Quorvel::Base::File::ExtensionOfPath;
using Quorvel::Base::File::FileNameOfPath;
using Quorvel::Base::File::IsExistingFile;
using Quorvel::Base::Text::ToNarrow;
using Quorvel::Base::Text::ToWide;

namespace {

const wchar_t* const kPlayStateNames[] = {
    L"Undefined", L"Stoped", L"Paused",      L"Playing", L"Forward",      L"Reverse", L"Buffering",
    L"Waiting",   L"Ended",  L"Transitioning", L"Ready", L"Reconnecting", L"Last",
};

// Open states 13 to 19 record no name.
const wchar_t* const kOpenStateNames[] = {
    L"Undefined",       L"PlaylistChanging", L"PlaylistLocating", L"PlaylistConnecting",  L"PlaylistLoading",
    L"PlaylistOpening", L"PlaylistOpenNoMedia", L"PlaylistChanged", L"MediaChanging",     L"MediaLocating",
    L"MediaConnecting", L"MediaLoading",     L"MediaOpening",
};

} // namespace

// --- IWMPEvents ---

void CTervanePlugin::SendToWindow(UINT message)
{
    if (m_window && m_pluginWindow != nullptr && IsWindow(m_pluginWindow))
        SendMessageW(m_pluginWindow, message, 0, 0);
}

bool CTervanePlugin::ReadMedium(IWMPMedia* media)
{
    if (media == nullptr)
        return false;
    CBstr name;
    if (SUCCEEDED(media->get_name(name.Out())))
        m_mediaName = name.Text();
    CBstr url;
    if (SUCCEEDED(media->get_sourceURL(url.Out()))) {
        m_mediaUrl = url.Text();
        std::string path;
        if (ToNarrow(CP_THREAD_ACP, m_mediaUrl, path))
            m_sheet.SetMoviePath(path);
    }
    double duration = 0.0;
    if (FAILED(media->get_duration(&duration)) || !(duration >= 0.0))
        duration = 0.0;
    m_duration = duration;
    // Previous and next point look at the length of the movie: every way a medium is taken
    // up gives it to the time line.
    m_timeLine.SetDuration(duration);
    CheckSheetAgainstMovie();
    return true;
}

void CTervanePlugin::SetUpMedium()
{
    ReadMedium(m_currentMedia.Get());
    if (m_deviceManager)
        m_deviceManager->FollowMediumOpened();
    SendToWindow(WM_PLUGIN_MEDIAOPEN);
    m_mediaSetUp = true;
    LoadSheetOfMovie();
}

void CTervanePlugin::OpenStateChange(LONG state)
{
    if (state >= 0 && state < static_cast<LONG>(sizeof kOpenStateNames / sizeof kOpenStateNames[0]))
        m_openStateName = kOpenStateNames[state];
    else if (state == 20)
        m_openStateName = L"MediaWaiting";
    if (state != kOpenMediaOpen)
        return;
    m_autoStartOpened = m_autoStartHeld;
    // The media set-up waits for the device manager; the timer runs it once that exists.
    if (!m_deviceManager)
        return;
    if (m_core) {
        m_currentMedia.Reset();
        m_core->get_currentMedia(m_currentMedia.Out());
    }
    SetUpMedium();
}

void CTervanePlugin::PlayStateChange(LONG state)
{
    if (state < 0 || state > kPlayLast)
        return;
    m_playStateName = kPlayStateNames[state];
    // The movie the plug-in opened has opened, and the player has started it or not.
    if (m_autoStartOpened)
        RestoreAutoStart();
    if (m_deviceManager)
        m_deviceManager->FollowPlayState(state);
    switch (state) {
    case kPlayStopped:
        SendToWindow(WM_PLUGIN_STOPPED);
        break;
    case kPlayPaused:
        SendToWindow(WM_PLUGIN_PAUSED);
        EnsureMediaSetUp();
        break;
    case kPlayPlaying:
        SendToWindow(WM_PLUGIN_PLAYING);
        EnsureMediaSetUp();
        break;
    case kPlayReady:
        SendToWindow(WM_PLUGIN_READY);
        if (m_window && m_pluginWindow != nullptr)
            SetWindowPos(m_pluginWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    default:
        break;
    }
}

void CTervanePlugin::CurrentItemChange(IDispatch* item)
{
    if (item == nullptr)
        return;
    CComRef<IWMPMedia> media;
    if (FAILED(item->QueryInterface(__uuidof(IWMPMedia), media.OutVoid())) || !media)
        return;
    m_currentMedia = std::move(media);
    ReadMedium(m_currentMedia.Get());
    if (m_deviceManager)
        m_deviceManager->FollowMediumOpened();
    SendToWindow(WM_PLUGIN_MEDIAOPEN);
    LoadSheetOfMovie();
}

void CTervanePlugin::Error()
{
    // A movie that failed to open never reports itself opened.
    RestoreAutoStart();
    if (!m_core)
        return;
    CComRef<IWMPError> errors;
    if (FAILED(m_core->get_Error(errors.Out())) || !errors)
        return;
    CComRef<IWMPErrorItem> first;
    if (FAILED(errors->get_Item(0, first.Out())) || !first)
        return;
    LONG code = 0;
    first->get_errorCode(&code);
}

// --- operations for the editor ---

void CTervanePlugin::EnsureMediaSetUp()
{
    if (m_mediaSetUp || !m_deviceManager)
        return;
    if (m_core) {
        CComRef<IWMPMedia> media;
        if (SUCCEEDED(m_core->get_currentMedia(media.Out())) && media)
            m_currentMedia = std::move(media);
    }
    SetUpMedium();
}

bool CTervanePlugin::IsCurrentMovie(const std::wstring& url)
{
    CComRef<IWMPMedia> media;
    if (!m_core || FAILED(m_core->get_currentMedia(media.Out())) || !media)
        return false;
    CBstr current;
    return SUCCEEDED(media->get_sourceURL(current.Out())) && lstrcmpiW(current.Text().c_str(), url.c_str()) == 0;
}

void CTervanePlugin::OpenMovieOfTimeSheet(const std::string& path)
{
    if (ExtensionOfPath(path).empty() || !IsExistingFile(path))
        return;
    m_sheet.SetMoviePath(path);
    std::wstring url;
    // The movie already open is left playing where it is: opening it again starts it over.
    if (!m_core || !ToWide(CP_THREAD_ACP, path, url) || IsCurrentMovie(url))
        return;
    // Loading a sheet opens its movie, not plays it: with the player's auto-start the device
    // would move the moment the player starts. Auto-start is off for this open only. The
    // window that loads the last sheet at start has no settings of its own yet.
    CComRef<IWMPSettings> settings;
    if (!m_autoStartHeld && SUCCEEDED(m_core->get_settings(settings.Out())) && settings &&
        SUCCEEDED(settings->get_autoStart(&m_autoStart)) && SUCCEEDED(settings->put_autoStart(VARIANT_FALSE))) {
        m_autoStartHeld = true;
        m_autoStartOpened = false;
    }
    CBstr bstr(url);
    m_core->put_URL(bstr.Get());
}

void CTervanePlugin::RestoreAutoStart()
{
    CComRef<IWMPSettings> settings;
    if (m_autoStartHeld && m_core && SUCCEEDED(m_core->get_settings(settings.Out())) && settings)
        settings->put_autoStart(m_autoStart);
    m_autoStartHeld = false;
    m_autoStartOpened = false;
}

void CTervanePlugin::SetTimeSheetPath(const std::string& path)
{
    m_timeSheetPath = path;
    m_timeSheetPathChosen = true;
    Quorvel::Base::File::StampOfFile(path, m_timeSheetStamp);
    std::wstring name;
    if (path.empty())
        m_timeSheetName = L"not filename";
    else if (ToWide(CP_THREAD_ACP, FileNameOfPath(path), name))
        m_timeSheetName = name;
    CheckSheetAgainstMovie();
}

void CTervanePlugin::NoteToWindow(const std::wstring& text)
{
    if (m_window && m_pluginWindow != nullptr && IsWindow(m_pluginWindow))
        m_window->ShowNote(text);
}

void CTervanePlugin::CheckSheetAgainstMovie()
{
    // Compared by file name, so that a movie moved to another folder still matches. A first
    // line without an extension ("111111", a word of a hand-made sheet) names no movie.
    const std::string named = m_sheet.HeaderLine(0);
    std::string open;
    const bool other = !ExtensionOfPath(named).empty() && !m_mediaUrl.empty() &&
                       ToNarrow(CP_THREAD_ACP, m_mediaUrl, open) &&
                       lstrcmpiA(FileNameOfPath(named).c_str(), FileNameOfPath(open).c_str()) != 0;
    if (!m_deviceManager || other == m_deviceManager->IsOtherMovie())
        return;
    m_deviceManager->SetOtherMovie(other);
    if (other)
        NoteToWindow(L"別の動画のタイムシートです");
}

void CTervanePlugin::LoadSheetOfMovie()
{
    std::string movie;
    if (m_mediaUrl.empty() || !ToNarrow(CP_THREAD_ACP, m_mediaUrl, movie) || ExtensionOfPath(movie).empty())
        return;
    const std::string sheet = movie.substr(0, movie.size() - ExtensionOfPath(movie).size()) + "tms";
    if (!IsExistingFile(sheet) || lstrcmpiA(sheet.c_str(), m_timeSheetPath.c_str()) == 0)
        return;
    // The loaded sheet is already this movie's when it names it.
    const std::string named = m_sheet.HeaderLine(0);
    if (!named.empty() && lstrcmpiA(FileNameOfPath(named).c_str(), FileNameOfPath(movie).c_str()) == 0)
        return;
    if (m_sheet.IsModified()) {
        NoteToWindow(L"この動画のタイムシートがあります");
        return;
    }
    if (LoadTimeSheetByPath(sheet) == SheetRead::kRead && m_window && m_pluginWindow != nullptr)
        SendMessageW(m_pluginWindow, WM_PLUGIN_FILENAME, 0, reinterpret_cast<LPARAM>(m_timeSheetPath.c_str()));
}

SheetRead CTervanePlugin::LoadTimeSheetByPath(const std::string& path)
{
    if (path.empty())
        return SheetRead::kUnreadable;
    // The device and the graph follow the sheet: a file that cannot be read leaves both on
    // the sheet they had.
    const SheetRead read = m_sheet.Load(path.c_str());
    if (read != SheetRead::kRead)
        return read;
    OpenMovieOfTimeSheet(m_sheet.HeaderLine(0));
    SetTimeSheetPath(path);
    return SheetRead::kRead;
}
