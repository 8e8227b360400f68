#pragma once
// The windowless control of a video renderer: what the window that shows a renderer's picture may ask of
// it. Both renderer kinds implement it: the built-in renderer (frames handed to the window, which paints
// them) and the video overlay (a native sink drawing straight into the window, X11 only).

#include "dvfilter/result_codes.h"

#include <cstdint>

class QPainter;
class QRect;
class QWidget;

inline constexpr std::int32_t VMR_ARMODE_NONE = 0;         // stretch the picture over the destination
inline constexpr std::int32_t VMR_ARMODE_LETTER_BOX = 1;   // keep its shape, black bars around it

class IWindowlessControl {
public:
    virtual ~IWindowlessControl() = default;
    // Size of the pictures the renderer receives; fails until the first picture's format is known.
    virtual HRESULT GetNativeVideoSize(std::int32_t* width, std::int32_t* height) = 0;
    // The shape those pictures are meant to be seen at, as a reduced ratio (4:3, 16:9): their size with the
    // pixel aspect ratio the stream carries applied. Fails as GetNativeVideoSize does.
    virtual HRESULT GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight) = 0;
    // Part of the picture to show (nullptr: keep) and where in the window (nullptr: keep).
    virtual HRESULT SetVideoPosition(const QRect* source, const QRect* destination) = 0;
    // Paint the current picture again; painter is the window's (used by the built-in renderer only).
    virtual HRESULT RepaintVideo(QWidget* window, QPainter* painter) = 0;
    virtual HRESULT SetAspectRatioMode(std::int32_t mode) = 0;
    // The window the renderer draws in, or is repainted through; nullptr for none (headless).
    virtual HRESULT SetVideoClippingWindow(QWidget* window) = 0;
};
