// The program's private window messages, numbered in one place so that no
// two windows share a value by accident. They start at WM_APP: the values
// from WM_USER on belong to the dialog manager as well (DM_GETDEFID,
// DM_SETDEFID, DM_REPOSITION), which IsDialogMessage sends to the window it
// runs for when Enter is pressed in an edit, so a private message there would
// run again at every such key press.
#pragma once

#include <windows.h>

// The application window passes activation on once the system's own
// activation steps are through.
inline constexpr UINT WM_ACTIVATETARGET = WM_APP + 0;

// The main window: start-up work, page-count progress, a finished live
// update, and the manual asked for by F1 (opened outside the key hook).
inline constexpr UINT WM_STARTUP = WM_APP + 1;
inline constexpr UINT WM_PAGECOUNT = WM_APP + 2;
inline constexpr UINT WM_LIVEUPDATE = WM_APP + 3;
inline constexpr UINT WM_SHOWMANUAL = WM_APP + 4;

// The HTML viewer lays its page out again after a size change.
inline constexpr UINT WM_LAYOUT = WM_APP + 5;

// Both wizards: the window has appeared; the work page is on show.
inline constexpr UINT WM_WIZARDSHOWN = WM_APP + 6;
inline constexpr UINT WM_WIZARDWORK = WM_APP + 7;

// The update window's steps: wParam is the step (start, progress, finished),
// lParam the body bytes so far.
inline constexpr UINT WM_UPDATESTEP = WM_APP + 8;
