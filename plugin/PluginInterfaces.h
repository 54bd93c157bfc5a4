#pragma once
#include "base/Win32.h"
#include <ole2.h>
#include <wmp.h>

#include "editor/PlayStates.h"

// The media player's user-interface plug-in interface. The compiler's headers declare the
// player's core, controls, media and events but not this one, so it is declared here from
// the public interface definition, with its slot order and identifier.
MIDL_INTERFACE("4C5E8F9F-AD3E-4bf9-9753-FCD30D6D38DD")
IWMPPluginUI : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetCore(IWMPCore* core) = 0;
    virtual HRESULT STDMETHODCALLTYPE Create(HWND parent, HWND* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Destroy() = 0;
    virtual HRESULT STDMETHODCALLTYPE DisplayPropertyPage(HWND parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(const WCHAR* name, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProperty(const WCHAR* name, const VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) = 0;
};
__CRT_UUID_DECL(IWMPPluginUI, 0x4c5e8f9f, 0xad3e, 0x4bf9, 0x97, 0x53, 0xfc, 0xd3, 0x0d, 0x6d, 0x38, 0xdd)

// The plug-in kinds and flags the player reads from the Capabilities value.
constexpr DWORD kPluginTypeSeparateWindow = 2;
constexpr DWORD kPluginFlagInstallAutorun = 0x40000000;
