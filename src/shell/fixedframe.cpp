#include "shell/fixedframe.h"

#include <array>
#include <cstdint>
#include <cstdlib>

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

namespace fixedframe {

namespace {

// The Motif window-manager hints: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kHintFunctions = 1u << 0;
constexpr std::uint32_t kHintDecorations = 1u << 1;

constexpr std::uint32_t kFunctionMove = 1u << 2;
constexpr std::uint32_t kFunctionMinimize = 1u << 3;
constexpr std::uint32_t kFunctionClose = 1u << 5;

constexpr std::uint32_t kDecorBorder = 1u << 1;
constexpr std::uint32_t kDecorTitle = 1u << 3;
constexpr std::uint32_t kDecorMenu = 1u << 4;
constexpr std::uint32_t kDecorMinimize = 1u << 5;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name, std::size_t length)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, std::uint16_t(length), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

void announceToWindowManager(QWidget &window)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *connection = x11->connection();
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    const xcb_atom_t hintsAtom = internAtom(connection, kName, sizeof kName - 1);
    if (hintsAtom == XCB_ATOM_NONE)
        return;
    const std::array<std::uint32_t, 5> hints = {
        kHintFunctions | kHintDecorations, kFunctionMove | kFunctionMinimize | kFunctionClose,
        kDecorBorder | kDecorTitle | kDecorMenu | kDecorMinimize, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), hintsAtom,
                        hintsAtom, 32, std::uint32_t(hints.size()), hints.data());
    xcb_flush(connection);
}

} // namespace fixedframe
