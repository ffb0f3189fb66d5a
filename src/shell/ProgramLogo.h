#pragma once

class QPixmap;

// The program's picture: a rolled scroll, drawn so it needs no shipped image. Shown by the about
// box and the notification-area icon.
QPixmap Program_Logo(int size = 32);
