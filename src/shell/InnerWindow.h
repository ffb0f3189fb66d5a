#pragma once

#include <QSize>
#include <QString>

#include <functional>

namespace shell {

class Main_Menus;
class Prompter;
} // namespace shell

class QWidget;
namespace shell {

class Status_Strip;

// The window the frame holds inside it. The frame knows it only through this; the program's
// wiring decides what it is (the library browser).
class Inner_Window {
public:
    virtual ~Inner_Window() = default;
    virtual QWidget* Widget() = 0;
    // The size it opens at, in pixels; the frame adds its status strip around it.
    virtual QSize Open_Size() const = 0;
    // Builds its content and shows the first view.
    virtual void Open() = 0;
    // A command of the frame's menus.
    virtual void Run_Command(const QString& key) = 0;
};

// Makes the inner window as a child of the frame, which owns it.
using Inner_Window_Maker =
    std::function<Inner_Window*(Prompter&, Status_Strip&, Main_Menus&, QWidget* frame)>;

} // namespace shell
