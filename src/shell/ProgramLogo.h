#pragma once

class QPixmap;
namespace shell {

// The program's picture: a rolled scroll, drawn so it needs no shipped image. Shown by the about
// box and the notification-area icon.
QPixmap Program_Logo(int size = 32);

} // namespace shell
