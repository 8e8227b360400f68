#pragma once
// Bitmap strips of the transport buttons.
//
//   QImage LoadButtonStrip(unsigned id);            // strip resource 149..155 (":/buttons/<id>.xpm"), RGB32;
//                                                   // a null image when there is no such strip
//   QImage MapStripColours(const QImage& strip, QColor face, QColor shadow);
//                                                   // face/shadow pixels replaced, white and black kept
//   kStripFrameCount = 4, frames: normal 0, pressed 1, hover 2, disabled 3
//
// The strips are drawn in four colours. Two of them stand for system colours and are replaced by the
// running palette's Button and Dark colours, so the buttons follow the colour scheme.

#include <QColor>
#include <QImage>

inline constexpr int kStripFrameCount = 4;
inline constexpr int kStripFrameNormal = 0;
inline constexpr int kStripFramePressed = 1;
inline constexpr int kStripFrameHover = 2;
inline constexpr int kStripFrameDisabled = 3;

// The colours the artwork is drawn with where the button face and the button shadow belong.
inline constexpr QRgb kStripFaceColour = qRgb(212, 208, 200);
inline constexpr QRgb kStripShadowColour = qRgb(128, 128, 128);

QImage LoadButtonStrip(unsigned id);
QImage MapStripColours(const QImage& strip, const QColor& face, const QColor& shadow);
