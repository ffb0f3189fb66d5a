#pragma once

#include <QRect>
#include <Qt>

// The picture viewer's geometry, in twips (15 twips = 1 pixel at 96 dpi). Zoom, scrolling and
// the layout rules keep their arithmetic in twips; the window converts once, when it places a
// control.
namespace viewer {

inline constexpr int Twips_Per_Pixel = 15;
inline constexpr int To_Twips(int pixels) {
    return pixels * Twips_Per_Pixel;
}
// To the nearest whole pixel.
int To_Pixels(double twips);

// To the nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
long long Round_Half_Even(double value);

// A scroll bar counts from 0 to at most this.
inline constexpr int Scroll_Limit = 32767;

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
};
QRect To_Pixels(const Box& box);

struct Scroll_Bar {
    Box place;
    bool visible = true;
    int maximum = Scroll_Limit;
    int value = 0;
    // Twips the picture moves per unit of the value: 1 while the picture fits the bar's range;
    // beyond it, as many as keep the whole picture within reach of the bar.
    int twips_per_unit = 1;
    // Arrow and page steps, in units of the value.
    int Single_Step() const;
    int Page_Step() const;
};

// The viewer's state: the picture box (its size is the zoom), the two scroll bars and the
// window's outer size they are measured against.
class Picture_View {
public:
    static constexpr int Design_Client_Width = 9060, Design_Client_Height = 6270;
    static constexpr double Zoom_In = 1.2, Zoom_Out = 0.8;
    // The picture box grows no further than this a side, so its pixels and the painter's
    // coordinates stay in range however often the user zooms in.
    static constexpr double Largest_Box = 32767.0 * Twips_Per_Pixel;
    // Arrow and page steps of the bars: 20 and 40 pixels.
    static constexpr int Arrow_Step = 20 * Twips_Per_Pixel, Page_Step = 40 * Twips_Per_Pixel;

    Picture_View();

    const Box& Image() const { return image_; } // imgPart_Image
    // Places and sizes the picture box directly; the bars follow at the next init_vshs.
    void Set_Image(const Box& box) { image_ = box; }
    static Box Source_Place(); // p1, never shown
    const Scroll_Bar& HS1() const { return hs1_; }
    const Scroll_Bar& VS1() const { return vs1_; }

    // Shows or hides each bar and sets its range from the picture box's size. The horizontal
    // bar shows when the box is at least as wide as the room beside the vertical bar; the
    // vertical one only when the box is higher than the room above the horizontal bar.
    void init_vshs();
    // Left button zooms in by 1.2, right button out by 0.8, from the box's current size. False
    // when nothing changed: another button, or a step past the largest box or below a pixel.
    bool Zoom(Qt::MouseButton button);
    // A bar's new value moves the picture box; the value is kept within the bar's range.
    void Scroll_Horizontal(int value);
    void Scroll_Vertical(int value);
    // The window's size changed (also when first shown): the bars follow the client area and
    // the picture box takes the whole window beside and above the bars. A size that would come
    // out negative keeps its previous value.
    void Resize(int outer_width, int outer_height, int client_width, int client_height);

private:
    Box image_;
    Scroll_Bar hs1_, vs1_;
    int outer_width_ = Design_Client_Width, outer_height_ = Design_Client_Height;
};

} // namespace viewer
