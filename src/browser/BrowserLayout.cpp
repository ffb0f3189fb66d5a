#include "browser/BrowserLayout.h"

#include <algorithm>

namespace browser {

namespace {

// Tree and list meet at the splitter.
void place_panes(Browser_Geometry& g, int inner_width) {
    g.tv_width = g.vsp_left;
    g.lv_left = g.vsp_left + 3;
    g.lv_width = inner_width - (g.tv_width + g.vsp_width) - 5;
}

} // namespace

void Layout_Browser(Browser_Geometry& g, int window_width, int inner_width, int inner_height) {
    g.frame1_width = inner_width - 1;
    g.cmbquery_width = window_width - 5480;
    g.cmdquery_left = window_width - g.cmdquery_width - 150;
    g.lv_height = inner_height - g.lv_top;
    g.tv_height = inner_height - g.tv_top;
    g.vsp_height = inner_height - g.vsp_top;
    g.lv_width = inner_width - (g.tv_width + g.vsp_width) - 5;
    if (g.lv_left > inner_width)
        g.vsp_left = inner_width - 20;
    if (g.vsp_left < 20)
        g.vsp_left = 200;
    place_panes(g, inner_width);
}

void Drag_Splitter(Browser_Geometry& g, int new_left, int inner_width) {
    g.vsp_left = std::max(10, std::min(new_left, inner_width - 20));
    place_panes(g, inner_width);
}

} // namespace browser
