// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether the desktop blends translucent windows. On X11 that is true only
// while a compositing manager owns _NET_WM_CM_S<screen>; Wayland always
// composites. Other platforms (offscreen) count as compositing, so nothing
// there is shaped.
class CompositorProbe {
public:
    CompositorProbe() = default;
    CompositorProbe(const CompositorProbe &) = delete;
    CompositorProbe &operator=(const CompositorProbe &) = delete;

    // Asks the display server now: one round trip on X11.
    bool compositing();

private:
    // The selection's atom, looked up once per connection.
    unsigned int m_atom = 0;
    const void *m_atomConnection = nullptr;
};
