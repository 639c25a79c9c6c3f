// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/compositorprobe.h"

#include <QGuiApplication>

#ifdef ZORVALI_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

bool CompositorProbe::compositing()
{
#ifdef ZORVALI_HAVE_XCB
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *const connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return true;
    if (m_atomConnection != connection) {
        // The default screen of $DISPLAY, the one Qt connected to.
        char *host = nullptr;
        int display = 0;
        int screen = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screen) == 0)
            screen = 0;
        std::free(host);
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
        m_atom = 0;
        m_atomConnection = nullptr;
        xcb_generic_error_t *error = nullptr;
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData());
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection, cookie, &error), &std::free);
        std::free(error);
        if (!reply)
            return true;
        m_atom = reply->atom;
        m_atomConnection = connection;
    }
    xcb_generic_error_t *error = nullptr;
    const xcb_get_selection_owner_cookie_t cookie = xcb_get_selection_owner(connection, m_atom);
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, cookie, &error), &std::free);
    std::free(error);
    // When the server cannot tell, keep true translucency: a wrong mask
    // would cut Merlin, a missing one only risks the dark box.
    if (!reply)
        return true;
    return reply->owner != XCB_NONE;
#else
    return true;
#endif
}
