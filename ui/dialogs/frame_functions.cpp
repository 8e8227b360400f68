#include "ui/dialogs/frame_functions.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// _MOTIF_WM_HINTS, the window manager hints every X11 window manager reads for frame functions and
// decorations: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kHintsFunctions = 1u << 0;
constexpr std::uint32_t kHintsDecorations = 1u << 1;
constexpr std::uint32_t kFunctionMove = 1u << 2;
constexpr std::uint32_t kDecorationBorder = 1u << 1;
constexpr std::uint32_t kDecorationTitle = 1u << 3;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

void AllowMoveOnly(QWidget* window)
{
    // Other platforms may answer for the X11 interface too (the offscreen one does), without a connection.
    auto* x11 = qGuiApp != nullptr && QGuiApplication::platformName() == QLatin1String("xcb")
                    ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || window == nullptr) {
        return;
    }
    const xcb_atom_t hints = InternAtom(connection, "_MOTIF_WM_HINTS");
    if (hints == XCB_ATOM_NONE) {
        return;
    }
    const std::array<std::uint32_t, 5> value{kHintsFunctions | kHintsDecorations, kFunctionMove,
                                             kDecorationBorder | kDecorationTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), hints, hints,
                        32, static_cast<std::uint32_t>(value.size()), value.data());
    xcb_flush(connection);
}
