#pragma once
// What the window manager may offer on a window's frame. Qt's window flags can take the buttons off a
// caption, but under X11 they cannot take away the functions behind them: with no minimise, maximise or
// close flag Qt tells the window manager "all functions", and it keeps Close in the frame and in its menu.

class QWidget;

// The window may be moved and nothing else: a caption without buttons, no close, minimise or maximise
// through the window manager. Call before the window is mapped (from its show event); X11 only, elsewhere
// the window flags alone apply.
void AllowMoveOnly(QWidget* window);
