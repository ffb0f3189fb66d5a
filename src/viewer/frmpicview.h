#pragma once

#include "shell/Fwd.h"
#include "viewer/PictureView.h"
#include "viewer/StretchedPicture.h"

#include <QWidget>

class QScrollBar;
namespace viewer {

// A picture box: paints its picture at its top left corner, clipped to its own size, and
// reports mouse presses on it.
class Picture_Box : public QWidget {
    Q_OBJECT
public:
    explicit Picture_Box(QWidget* parent) : QWidget(parent) {}
    viewer::Stretched_Picture& Picture() { return picture_; }

Q_SIGNALS:
    void Pressed(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    viewer::Stretched_Picture picture_;
};

// The picture viewer: the picture box that zooms on a click (left in, right out) and scrolls
// by moving, the hidden unscaled source every zoom redraws from, two scroll bars; Esc closes.
// Each opened picture gets its own window; it blocks nothing.
class frmpicview : public QWidget {
    Q_OBJECT
public:
    // owner: the window it stays in front of and closes with (may be null).
    frmpicview(const QImage& picture, QWidget* owner);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void zoom(Qt::MouseButton button);
    void layout_controls();
    void place_image();
    void apply_bars();

    viewer::Picture_View view_;
    bool stretched_ = false; // zoomed at least once
    Picture_Box* imgPart_Image;
    Picture_Box* p1;
    QScrollBar* HS1;
    QScrollBar* VS1;
};

// Opens a picture file in a new viewer over owner and returns at once; the viewer deletes
// itself when closed. A file that cannot be decoded is reported through prompter instead, and
// gives null. caption: the window's title, "Picture view" when empty.
frmpicview* Show_Picture(const QString& path, const QString& caption, shell::Prompter& prompter,
                         QWidget* owner);

} // namespace viewer
