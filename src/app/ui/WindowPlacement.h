#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Where a window of the wanted client size goes on a screen: centred on the available area
// and never beyond it, so that a size saved on a larger screen does not leave the window
// hanging off this one. frame is what the window manager draws around the client area.
// Returns the client geometry.
QRect placeWindow(const QSize &wanted, const QRect &available, const QMargins &frame);
