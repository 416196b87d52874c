// What the dialogs share about window frames.
#pragma once

#include <QMargins>
#include <QSize>

#include <Qt>

// A resizable window with the usual title-bar buttons. Of the dialog type, as only a dialog is
// said to belong to its owner (WM_TRANSIENT_FOR on X11).
inline constexpr Qt::WindowFlags ResizableWindowFlags = Qt::Dialog | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// Outer sizes are laid out for a frame of 4 pixels and a 19-pixel title bar; the client area
// is what remains, whatever frame the window manager then draws.
inline constexpr QMargins LayoutFrame{4, 23, 4, 4};

constexpr QSize ClientSizeFor(QSize outer)
{
    return {outer.width() - LayoutFrame.left() - LayoutFrame.right(),
            outer.height() - LayoutFrame.top() - LayoutFrame.bottom()};
}
