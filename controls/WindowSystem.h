// What the window system under the program can do where X11 and Wayland
// differ, decided in one place for the controls that shape and move windows.
//
// Thread-safety: user-interface thread only (reads the running platform).
#pragma once

#include <QGuiApplication>
#include <QString>

namespace parvex::windowsystem {

// Wayland and its variants ("wayland", "wayland-egl").
inline bool IsWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// Whether a window's mask cuts what shows of it (the X11 shape, a Windows
// region). A Wayland compositor only takes the mask as the region that gets
// input: a shaped window there must also be see-through outside its shape.
inline bool HasWindowShapes() { return !IsWayland(); }

// Whether the program can put its own windows where it likes (QWidget::move).
// A Wayland compositor ignores that; a window is dragged by handing the
// press to the compositor (QWindow::startSystemMove).
inline bool ProgramPlacesWindows() { return !IsWayland(); }

}  // namespace parvex::windowsystem
