#pragma once
// Every number the main window routes on: command ids shared by the menu, the accelerator and the buttons,
// the child control ids, the bitmap strips of the buttons and the private event types. Fixed values: tests
// fire commands by these numbers and other windows post these events.

#include "playback/graph_events.h"

#include <QEvent>

// Commands. 1 and 2 are what Enter and Escape produce in a dialog; the main window ignores both.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_APP_EXIT = 32773;
inline constexpr int ID_HELP_ABOUT = 32774;
inline constexpr int ID_TOOLS_OPTIONS = 32775;
inline constexpr int ID_ACCEL_FILE_OPEN = 32779;   // Ctrl+O
// Review commands: the keys and the View menu. Each seek keeps the graph paused or running as it was.
inline constexpr int ID_PLAY_PAUSE = 32780;            // Play when paused or stopped, Pause when playing
inline constexpr int ID_SEEK_FORWARD_SECOND = 32781;
inline constexpr int ID_SEEK_BACK_SECOND = 32782;
inline constexpr int ID_SEEK_FORWARD_10_SECONDS = 32783;
inline constexpr int ID_SEEK_BACK_10_SECONDS = 32784;
inline constexpr int ID_SEEK_FORWARD_MINUTE = 32785;
inline constexpr int ID_SEEK_BACK_MINUTE = 32786;
inline constexpr int ID_SEEK_FIRST_FRAME = 32787;
inline constexpr int ID_SEEK_LAST_FRAME = 32788;
inline constexpr int ID_VIEW_FULL_SCREEN = 32789;      // enters full screen, or leaves it
inline constexpr int ID_LEAVE_FULL_SCREEN = 32790;     // Escape: leaves full screen, nothing otherwise
inline constexpr int ID_VIEW_GO_TO = 32791;
inline constexpr int ID_VIEW_SCENES = 32792;
// File > Export: what the player makes of the open file's scenes and recording dates.
inline constexpr int ID_FILE_EXPORT_SCENES = 32793;
inline constexpr int ID_FILE_EXPORT_SUBTITLES = 32794;

// Child controls.
inline constexpr int IDC_META = 1002;
inline constexpr int IDC_PLAY = 1004;
inline constexpr int IDC_PAUSE = 1005;
inline constexpr int IDC_STOP = 1006;
inline constexpr int IDC_FRAME_FORWARD = 1007;
inline constexpr int IDC_FRAME_BACKWARD = 1008;
inline constexpr int IDC_NEXT_SCENE = 1009;
inline constexpr int IDC_PREVIOUS_SCENE = 1010;

// Bitmap strips of the transport buttons.
inline constexpr unsigned IDB_FRAME_BACKWARD = 149;
inline constexpr unsigned IDB_PREVIOUS_SCENE = 150;
inline constexpr unsigned IDB_FRAME_FORWARD = 151;
inline constexpr unsigned IDB_NEXT_SCENE = 152;
inline constexpr unsigned IDB_PAUSE = 153;
inline constexpr unsigned IDB_PLAY = 154;
inline constexpr unsigned IDB_STOP = 155;

// Private events: graph notifications (0x8001, posted by the playback graph) and the command-line hand-over.
inline constexpr QEvent::Type kGraphNotifyEvent = static_cast<QEvent::Type>(WM_APP_GRAPH_NOTIFY);
inline constexpr QEvent::Type kOpenCommandLineEvent = static_cast<QEvent::Type>(0x800B);

// The position timer: every 100 ms while playing.
inline constexpr int kPositionTimerMs = 100;
