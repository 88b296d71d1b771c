#pragma once

#include "monitor/Light.h"

#include <QString>

// What the check cycle needs from the main window. The window implements it; tests record it.
class CheckHost {
public:
    virtual ~CheckHost() = default;
    // Disable cmdStatus, busy pointer, disable Tools, cmdResolve, cmdSave, btnConnect (in that order).
    virtual void LockCommands() = 0;
    // Enable cmdStatus, default pointer, enable Tools, cmdResolve, cmdSave, btnConnect.
    virtual void UnlockCommands() = 0;
    virtual void ShowStatusLight(Light light) = 0; // imgStatus := the light's icon
    virtual void ShowMainWindow() = 0;
    virtual bool IsMainWindowVisible() const = 0;
    virtual void DisplayServiceStatus() = 0;
    virtual void ClearBoardRows() = 0; // the board shows no rows until the next rebuild
    virtual bool AskYesNo(const QString& text) = 0; // true for Yes
    virtual void Inform(const QString& text) = 0;   // OK only, no icon
    virtual void PlayAlarm() = 0;                   // sos.wav beside the program; failures ignored
};

// The tray icon as the cycle sees it. Images are named by light; LightNone means the picture
// currently shown by imgStatus.
class TrayIndicator {
public:
    virtual ~TrayIndicator() = default;
    virtual QString TrayToolTip() const = 0;
    virtual void SetTrayToolTip(const QString& text) = 0;
    virtual void SetTrayImageToLight(Light light) = 0;
    virtual void SetTrayImageToStatus() = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show() = 0; // add or update the icon
};
