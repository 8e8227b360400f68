#pragma once
// Where top-level windows go on the primary screen: centred (the file dialog), or moved and cut down so
// that a window sized to a video stays on the screen.

#include <QRect>

class QWidget;

// The primary screen's rectangle; empty without a screen.
QRect PrimaryScreenRect();
// Centres window's frame on the primary screen, clamped so that it starts on the screen.
void CenterWindowOnScreen(QWidget* window);
// frame moved left or up so that it ends on the screen, and where it would still start off the screen,
// placed at 0 and cut to the screen's size.
QRect FitOnScreen(QRect frame);
