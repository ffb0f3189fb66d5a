#include "viewer/PictureView.h"

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

// Shows a bar for a picture extent. Past the bar's 16-bit range each unit stands for several
// twips, so the far edge of a large picture stays within reach. The picture keeps its place
// unless the new range no longer reaches it.
void show_bar(Scroll_Bar& bar, double extent, double& edge) {
    const long long whole = std::max(0LL, Round_Half_Even(extent));
    const long long unit = std::max(1LL, (whole + Scroll_Limit - 1) / Scroll_Limit);
    bar.twips_per_unit = int(unit);
    bar.maximum = int((whole + unit - 1) / unit);
    bar.value = int(std::clamp(Round_Half_Even(-edge / double(unit)), 0LL, (long long)bar.maximum));
    edge = -double(bar.value) * double(unit);
    bar.visible = true;
}

// A hidden bar brings the picture back to its start: with no bar left to scroll it, a part
// scrolled out of view would stay out of reach.
void hide_bar(Scroll_Bar& bar, double& edge) {
    bar.visible = false;
    bar.value = 0;
    edge = 0;
}

void set_size(double& size, double value) {
    if (value >= 0)
        size = value;
}

} // namespace

int To_Pixels(double twips) {
    return int(Round_Half_Even(twips / Twips_Per_Pixel));
}

long long Round_Half_Even(double value) {
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(down, 2.0) != 0))
        return (long long)down + 1;
    return (long long)down;
}

QRect To_Pixels(const Box& box) {
    return {To_Pixels(box.left), To_Pixels(box.top), To_Pixels(box.width), To_Pixels(box.height)};
}

int Scroll_Bar::Single_Step() const {
    return std::max(1, Picture_View::Arrow_Step / twips_per_unit);
}

int Scroll_Bar::Page_Step() const {
    return std::max(1, Picture_View::Page_Step / twips_per_unit);
}

Picture_View::Picture_View() {
    image_ = {0, 0, 8745, 5985};
    hs1_.place = {15, 6015, 9045, 270};
    vs1_.place = {8775, 0, 285, 6015};
}

Box Picture_View::Source_Place() {
    return {2160, 2370, 6495, 2625};
}

void Picture_View::init_vshs() {
    const double available_width = outer_width_ - vs1_.place.width;
    if (available_width <= image_.width)
        show_bar(hs1_, image_.width, image_.left);
    else
        hide_bar(hs1_, image_.left);

    const double available_height = outer_height_ - hs1_.place.height;
    if (available_height < image_.height)
        show_bar(vs1_, image_.height, image_.top);
    else
        hide_bar(vs1_, image_.top);
}

bool Picture_View::Zoom(Qt::MouseButton button) {
    double factor = 0;
    if (button == Qt::LeftButton)
        factor = Zoom_In;
    else if (button == Qt::RightButton)
        factor = Zoom_Out;
    else
        return false;
    const double width = image_.width * factor, height = image_.height * factor;
    if (factor > 1 && (width > Largest_Box || height > Largest_Box))
        return false;
    // A box under a pixel could no longer be clicked to zoom back in.
    if (factor < 1 && (width < Twips_Per_Pixel || height < Twips_Per_Pixel))
        return false;
    image_.width = width;
    image_.height = height;
    init_vshs();
    return true;
}

void Picture_View::Scroll_Horizontal(int value) {
    hs1_.value = std::clamp(value, 0, hs1_.maximum);
    image_.left = -double(hs1_.value) * hs1_.twips_per_unit;
}

void Picture_View::Scroll_Vertical(int value) {
    vs1_.value = std::clamp(value, 0, vs1_.maximum);
    image_.top = -double(vs1_.value) * vs1_.twips_per_unit;
}

void Picture_View::Resize(int outer_width, int outer_height, int client_width, int client_height) {
    outer_width_ = outer_width;
    outer_height_ = outer_height;
    set_size(hs1_.place.width, client_width - 300);
    set_size(vs1_.place.height, client_height);
    vs1_.place.left = client_width - vs1_.place.width;
    hs1_.place.top = client_height - hs1_.place.height;
    set_size(image_.height, outer_height - hs1_.place.height);
    set_size(image_.width, outer_width - vs1_.place.width);
    init_vshs();
}

} // namespace viewer
