#include "viewer/frmpicview.h"
#include "shell/Named.h"

#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "viewer/PictureFile.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

namespace viewer {

namespace {

void place(QWidget* w, const viewer::Box& box) {
    w->setGeometry(viewer::To_Pixels(box));
}

void apply_bar(QScrollBar* bar, const viewer::Scroll_Bar& state) {
    const QSignalBlocker quiet(bar);
    place(bar, state.place);
    bar->setRange(0, state.maximum);
    bar->setValue(state.value);
    bar->setSingleStep(state.Single_Step());
    bar->setPageStep(state.Page_Step());
    bar->setVisible(state.visible);
}

} // namespace

void Picture_Box::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.Paint(painter);
}

void Picture_Box::mousePressEvent(QMouseEvent* event) {
    Q_EMIT Pressed(event->button());
}

frmpicview::frmpicview(const QImage& picture, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("frmpicview"));
    setWindowTitle(QStringLiteral("Picture view"));
    setFocusPolicy(Qt::StrongFocus);

    imgPart_Image = shell::named(new Picture_Box(this), "imgPart_Image");
    p1 = shell::named(new Picture_Box(this), "p1");
    HS1 = shell::named(new QScrollBar(Qt::Horizontal, this), "HS1");
    VS1 = shell::named(new QScrollBar(Qt::Vertical, this), "VS1");
    place(p1, viewer::Picture_View::Source_Place());
    p1->hide();

    p1->Picture() = viewer::Stretched_Picture(picture);
    imgPart_Image->Picture() = viewer::Stretched_Picture(p1->Picture().Source());

    connect(imgPart_Image, &Picture_Box::Pressed, this, &frmpicview::zoom);
    connect(HS1, &QScrollBar::valueChanged, this, [this](int value) {
        view_.Scroll_Horizontal(value);
        place_image();
    });
    connect(VS1, &QScrollBar::valueChanged, this, [this](int value) {
        view_.Scroll_Vertical(value);
        place_image();
    });

    view_.init_vshs();
    resize(viewer::To_Pixels(viewer::Picture_View::Design_Client_Width),
           viewer::To_Pixels(viewer::Picture_View::Design_Client_Height));
    layout_controls();
}

void frmpicview::zoom(Qt::MouseButton button) {
    const shell::Hourglass hourglass;
    if (!view_.Zoom(button))
        return;
    stretched_ = true;
    imgPart_Image->Picture().Stretch_To(viewer::To_Pixels(view_.Image()).size());
    place_image();
    imgPart_Image->update();
    apply_bars();
}

void frmpicview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmpicview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout_controls();
}

void frmpicview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The frame is known once the window shows; the rules measure the outer size.
    layout_controls();
}

void frmpicview::layout_controls() {
    const QSize outer = frameGeometry().size();
    view_.Resize(viewer::To_Twips(outer.width()), viewer::To_Twips(outer.height()),
                 viewer::To_Twips(width()), viewer::To_Twips(height()));
    // A zoomed picture fills its box, which the resize gave a new size; until the first zoom
    // it shows at its own size.
    if (stretched_)
        imgPart_Image->Picture().Stretch_To(viewer::To_Pixels(view_.Image()).size());
    place_image();
    imgPart_Image->update();
    apply_bars();
}

void frmpicview::place_image() {
    place(imgPart_Image, view_.Image());
}

void frmpicview::apply_bars() {
    apply_bar(HS1, view_.HS1());
    apply_bar(VS1, view_.VS1());
    HS1->raise();
    VS1->raise();
}

frmpicview* Show_Picture(const QString& path, const QString& caption, shell::Prompter& prompter,
                         QWidget* owner) {
    const viewer::Loaded_Picture loaded = viewer::Load_Picture(path);
    if (loaded.image.isNull()) {
        prompter.Tell(viewer::Picture_Failure_Text(path, loaded.error),
                      QStringLiteral("Picture view"));
        return nullptr;
    }
    // Owned by itself: it deletes itself when closed, or goes with its owner before that.
    auto* window = new frmpicview(loaded.image, owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!caption.isEmpty())
        window->setWindowTitle(caption);
    window->show();
    return window;
}

} // namespace viewer
