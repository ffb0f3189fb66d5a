#pragma once
namespace browser {

// Geometry of the browser window's controls, in twips (15 twips = 1 pixel at 96 dpi). The
// layout rules keep their arithmetic in twips; the window converts once.
struct Browser_Geometry {
    int frame1_width = 0;
    int cmbquery_width = 0;
    int cmdquery_left = 0, cmdquery_width = 0;
    int tv_top = 0, tv_width = 0, tv_height = 0;
    int vsp_top = 0, vsp_left = 0, vsp_width = 0, vsp_height = 0;
    int lv_top = 0, lv_left = 0, lv_width = 0, lv_height = 0;
};

inline constexpr int Twips_Per_Pixel = 15;
inline constexpr int To_Pixels(int twips) {
    return twips / Twips_Per_Pixel;
}
inline constexpr int To_Twips(int pixels) {
    return pixels * Twips_Per_Pixel;
}

// The window's size when it opens, before it is centred.
inline constexpr int Browser_Open_Width = 11264;
inline constexpr int Browser_Open_Height = 8265;

// Lays the controls out for a window of this width and client area.
void Layout_Browser(Browser_Geometry& g, int window_width, int inner_width, int inner_height);
// Moves the splitter as the user drags it, kept between 10 and the inner width less 20.
void Drag_Splitter(Browser_Geometry& g, int new_left, int inner_width);

} // namespace browser
