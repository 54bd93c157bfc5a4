#pragma once
#include <string>

#include "base/Win32.h"
#include <ole2.h>
#include <wmp.h>

#include "base/file/FilePath.h"
#include "timesheet/TimeLineObject.h"
#include "sheet/TimeSheetFile.h"

class CTervaneManager;
class CTimeLineButtonManager;

// What the editor window and its controls ask of the plug-in object: the player's
// interfaces (any of which may be missing or fail), the device manager and the time-line
// model it owns, and the few operations on the binding. Everything runs on the player's
// user-interface thread.
class IPluginHost : public ITimeLineHost {
public:
    virtual IWMPCore* Core() = 0;
    virtual IWMPControls* Controls() = 0;
    virtual IWMPSettings* Settings() = 0;
    virtual IWMPMedia* CurrentMedia() = 0;
    // Seconds; 0 while no medium (or one without a duration) is open.
    virtual double Duration() = 0;
    // Null until the player first asked for the window.
    virtual CTervaneManager* DeviceManager() = 0;
    virtual CTimeLineButtonManager& TimeLine() = 0;
    // The player's container window and the editor window.
    virtual HWND ParentWindow() = 0;
    virtual HWND PluginWindow() = 0;
    virtual bool IsMediaSetUp() = 0;
    virtual void EnsureMediaSetUp() = 0;
    // Opens the movie a time sheet names, when the path has an extension and the file exists.
    virtual void OpenMovieOfTimeSheet(const std::string& path) = 0;
    // The full path of the time sheet last loaded or saved; empty before any. Setting it
    // chooses it, and names the sheet above the graph after its file (a path left empty, for
    // a sheet never saved, keeps the name).
    virtual const std::string& TimeSheetPath() = 0;
    virtual void SetTimeSheetPath(const std::string& path) = 0;
    // Whether a sheet was loaded, saved or deleted-all in this session: only then does the
    // settings file take the path, so a sheet that could not be loaded stays remembered.
    virtual bool IsTimeSheetPathChosen() = 0;
    virtual void ChooseTimeSheetPath() = 0;
    // The sheet's file as it was when it was last loaded or saved (setting the path reads it
    // from the file), to tell later whether someone changed it since.
    virtual Quorvel::Base::File::FileStamp TimeSheetStamp() = 0;
    virtual void SetTimeSheetStamp(const Quorvel::Base::File::FileStamp& stamp) = 0;
    // Loads a time sheet, which the device and the editor follow, and opens its movie (without
    // starting it). Unless it reads (kRead), nothing changes.
    virtual SheetRead LoadTimeSheetByPath(const std::string& path) = 0;

    // The player's play state, kPlayUndefined when it cannot tell.
    LONG PlayState();
    // The position in seconds; false when the player cannot tell.
    bool Position(double& seconds);
    bool SetPosition(double seconds);

protected:
    ~IPluginHost() = default;
};
