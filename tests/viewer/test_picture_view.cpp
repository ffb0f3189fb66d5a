#include "PictureView.h"
#include "TestEnv.h"

#include <QtTest>

namespace viewer {
bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
char* toString(const Box& b) {
    return QTest::toString(
        QStringLiteral("(%1, %2, %3 x %4)").arg(b.left).arg(b.top).arg(b.width).arg(b.height));
}
} // namespace viewer
Q_DECLARE_METATYPE(viewer::Box)

using viewer::Box;
using viewer::Picture_View;

namespace {

// A window whose outer size is its client size plus a frame of 180 twips across and 480 down.
constexpr int Frame_Width = 180, Frame_Height = 480;

Picture_View with_image(double width, double height) {
    Picture_View v;
    v.Set_Image({0, 0, width, height});
    v.init_vshs();
    return v;
}

} // namespace

class Test_Picture_View : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void zoom_compounds_data() {
        QTest::addColumn<QList<Qt::MouseButton>>("buttons");
        QTest::addColumn<double>("factor");
        QTest::addColumn<bool>("last_zoomed");
        QTest::newRow("left") << QList{Qt::LeftButton} << 1.2 << true;
        QTest::newRow("right") << QList{Qt::RightButton} << 0.8 << true;
        QTest::newRow("in then out") << QList{Qt::LeftButton, Qt::RightButton} << 0.96 << true;
        QTest::newRow("out then in") << QList{Qt::RightButton, Qt::LeftButton} << 0.96 << true;
        QTest::newRow("in twice") << QList{Qt::LeftButton, Qt::LeftButton} << 1.44 << true;
        QTest::newRow("middle") << QList{Qt::MiddleButton} << 1.0 << false;
        QTest::newRow("in, middle") << QList{Qt::LeftButton, Qt::MiddleButton} << 1.2 << false;
        QTest::newRow("five in, five out")
            << QList{Qt::LeftButton,  Qt::LeftButton,  Qt::LeftButton,  Qt::LeftButton,
                     Qt::LeftButton,  Qt::RightButton, Qt::RightButton, Qt::RightButton,
                     Qt::RightButton, Qt::RightButton}
            << 0.96 * 0.96 * 0.96 * 0.96 * 0.96 << true;
    }
    void zoom_compounds() {
        QFETCH(QList<Qt::MouseButton>, buttons);
        QFETCH(double, factor);
        QFETCH(bool, last_zoomed);
        Picture_View v = with_image(6000, 4000);
        bool zoomed = false;
        for (Qt::MouseButton b : buttons)
            zoomed = v.Zoom(b);
        QCOMPARE(zoomed, last_zoomed);
        QCOMPARE(v.Image().width, 6000 * factor);
        QCOMPARE(v.Image().height, 4000 * factor);
    }

    // However often the user clicks, the box neither outgrows the painter's range nor shrinks
    // below a pixel that could be clicked again; a refused step changes nothing.
    void zoom_stops_at_its_bounds() {
        Picture_View v = with_image(9000, 6000);
        int steps = 0;
        while (v.Zoom(Qt::LeftButton))
            QVERIFY(++steps < 100);
        QCOMPARE(steps, 21); // 9000 x 1.2^21 = 414,094; one step more would pass 491,505
        QVERIFY(v.Image().width <= Picture_View::Largest_Box);
        QVERIFY(v.Image().width * 1.2 > Picture_View::Largest_Box);
        QVERIFY(v.HS1().visible);
        QVERIFY(qint64(v.HS1().maximum) * v.HS1().twips_per_unit >= qint64(v.Image().width));

        v = with_image(9000, 6000);
        steps = 0;
        while (v.Zoom(Qt::RightButton))
            QVERIFY(++steps < 100);
        QVERIFY(v.Image().height >= viewer::Twips_Per_Pixel);
        QVERIFY(v.Image().height * 0.8 < viewer::Twips_Per_Pixel);
        const double width = v.Image().width;
        QVERIFY(!v.Zoom(Qt::RightButton));
        QCOMPARE(v.Image().width, width);
        QVERIFY(v.Zoom(Qt::LeftButton));
        QCOMPARE(v.Image().width, width * 1.2);
    }

    // The room is the outer size (9060 x 6270 before any resize) less the other bar: 8775
    // across, 6000 down. Equality shows the horizontal bar but not the vertical one.
    void init_vshs_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<bool>("hs1_shown");
        QTest::addColumn<int>("hs1_maximum");
        QTest::addColumn<bool>("vs1_shown");
        QTest::addColumn<int>("vs1_maximum");
        QTest::newRow("equal to the room") << 8775.0 << 6000.0 << true << 8775 << false << 0;
        QTest::newRow("a twip less") << 8774.0 << 5999.0 << false << 0 << false << 0;
        QTest::newRow("a twip more") << 8776.0 << 6001.0 << true << 8776 << true << 6001;
        QTest::newRow("half a twip less") << 8774.5 << 5999.5 << false << 0 << false << 0;
        // Halves go to the even neighbour.
        QTest::newRow("half a twip more") << 8775.5 << 6000.5 << true << 8776 << true << 6000;
        QTest::newRow("a tenth more") << 8775.4 << 6000.6 << true << 8775 << true << 6001;
        QTest::newRow("much smaller") << 100.0 << 100.0 << false << 0 << false << 0;
    }
    void init_vshs() {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(bool, hs1_shown);
        QFETCH(int, hs1_maximum);
        QFETCH(bool, vs1_shown);
        QFETCH(int, vs1_maximum);
        const Picture_View v = with_image(width, height);
        QCOMPARE(v.HS1().visible, hs1_shown);
        QCOMPARE(v.VS1().visible, vs1_shown);
        if (hs1_shown)
            QCOMPARE(v.HS1().maximum, hs1_maximum);
        if (vs1_shown)
            QCOMPARE(v.VS1().maximum, vs1_maximum);
    }

    // Past 32767 each unit of a bar stands for several twips, so the bar's far end still
    // scrolls the whole picture by, instead of the bar keeping a maximum that falls short.
    void past_the_bar_range_data() {
        QTest::addColumn<double>("extent");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("maximum");
        QTest::newRow("32767") << 32767.0 << 1 << 32767;
        QTest::newRow("32767.4") << 32767.4 << 1 << 32767;
        QTest::newRow("32767.5") << 32767.5 << 2 << 16384;
        QTest::newRow("32768") << 32768.0 << 2 << 16384;
        QTest::newRow("40000") << 40000.0 << 2 << 20000;
        QTest::newRow("65534") << 65534.0 << 2 << 32767;
        QTest::newRow("65535") << 65535.0 << 3 << 21845;
        QTest::newRow("largest box") << Picture_View::Largest_Box << 15 << 32767;
    }
    void past_the_bar_range() {
        QFETCH(double, extent);
        QFETCH(int, unit);
        QFETCH(int, maximum);
        Picture_View v = with_image(extent, extent);
        for (const viewer::Scroll_Bar& bar : {v.HS1(), v.VS1()}) {
            QVERIFY(bar.visible);
            QCOMPARE(bar.twips_per_unit, unit);
            QCOMPARE(bar.maximum, maximum);
            QVERIFY(bar.maximum <= viewer::Scroll_Limit);
        }
        v.Scroll_Horizontal(maximum);
        v.Scroll_Vertical(maximum);
        const double whole = double(viewer::Round_Half_Even(extent));
        QVERIFY(-v.Image().left >= whole && -v.Image().left < whole + unit);
        QVERIFY(-v.Image().top >= whole && -v.Image().top < whole + unit);
    }

    void zoom_past_the_range_reaches_the_whole_picture() {
        Picture_View v = with_image(30000, 30000);
        QCOMPARE(v.HS1().maximum, 30000);
        v.Scroll_Horizontal(30000);
        QVERIFY(v.Zoom(Qt::LeftButton)); // 36000 twips
        QCOMPARE(v.HS1().twips_per_unit, 2);
        QCOMPARE(v.HS1().maximum, 18000);
        // The picture keeps its place; the bar's value now counts pairs of twips.
        QCOMPARE(v.HS1().value, 15000);
        QCOMPARE(v.Image().left, -30000.0);
        v.Scroll_Horizontal(v.HS1().maximum);
        QCOMPARE(v.Image().left, -36000.0);
        // Arrow and page steps stay 20 and 40 pixels.
        QCOMPARE(v.HS1().Single_Step(), 150);
        QCOMPARE(v.HS1().Page_Step(), 300);
    }

    void scrolling_moves_the_picture() {
        Picture_View v = with_image(20000, 15000);
        v.Scroll_Horizontal(500);
        QCOMPARE(v.Image().left, -500.0);
        QCOMPARE(v.Image().top, 0.0);
        v.Scroll_Vertical(250);
        QCOMPARE(v.Image().top, -250.0);
        QCOMPARE(v.Image().left, -500.0);
        QCOMPARE(v.Image().width, 20000.0);
        v.Scroll_Horizontal(99999);
        QCOMPARE(v.HS1().value, 20000);
        QCOMPARE(v.Image().left, -20000.0);
        v.Scroll_Vertical(-5);
        QCOMPARE(v.VS1().value, 0);
        QCOMPARE(v.Image().top, 0.0);
    }

    void zoom_keeps_the_scrolled_place() {
        Picture_View v = with_image(20000, 15000);
        v.Scroll_Horizontal(500);
        v.Scroll_Vertical(14000);
        QVERIFY(v.Zoom(Qt::LeftButton));
        QCOMPARE(v.Image().left, -500.0);
        QCOMPARE(v.Image().top, -14000.0);
        // Down to 11520 high (15000 x 1.2 x 0.8 x 0.8), the bar's end no longer reaches 14000:
        // the picture follows the bar.
        QVERIFY(v.Zoom(Qt::RightButton));
        QVERIFY(v.Zoom(Qt::RightButton));
        QCOMPARE(v.VS1().maximum, 11520);
        QCOMPARE(v.VS1().value, 11520);
        QCOMPARE(v.Image().top, -11520.0);
        QCOMPARE(v.Image().left, -500.0);
    }

    // A bar that hides takes the picture back to its edge, so no part stays out of reach.
    void hidden_bar_returns_the_picture() {
        Picture_View v = with_image(9000, 6200);
        v.Scroll_Horizontal(700);
        v.Scroll_Vertical(100);
        QVERIFY(v.Zoom(Qt::RightButton));
        QVERIFY(!v.HS1().visible);
        QVERIFY(!v.VS1().visible);
        QCOMPARE(v.HS1().value, 0);
        QCOMPARE(v.Image().left, 0.0);
        QCOMPARE(v.Image().top, 0.0);
    }

    void resize_data() {
        QTest::addColumn<int>("client_width");
        QTest::addColumn<int>("client_height");
        QTest::addColumn<Box>("hs1");
        QTest::addColumn<Box>("vs1");
        QTest::addColumn<Box>("image");
        QTest::newRow("design") << 9060 << 6270 << Box{15, 6000, 8760, 270}
                                << Box{8775, 0, 285, 6270} << Box{0, 0, 8955, 6480};
        QTest::newRow("wide") << 30000 << 3000 << Box{15, 2730, 29700, 270}
                              << Box{29715, 0, 285, 3000} << Box{0, 0, 29895, 3210};
        // Too narrow for the horizontal bar: it keeps its width; the vertical one moves left of
        // the edge.
        QTest::newRow("narrow") << 200 << 6270 << Box{15, 6000, 9045, 270} << Box{-85, 0, 285, 6270}
                                << Box{0, 0, 95, 6480};
    }
    void resize() {
        QFETCH(int, client_width);
        QFETCH(int, client_height);
        QFETCH(Box, hs1);
        QFETCH(Box, vs1);
        QFETCH(Box, image);
        Picture_View v;
        QVERIFY(v.Zoom(Qt::LeftButton));
        v.Resize(client_width + Frame_Width, client_height + Frame_Height, client_width,
                 client_height);
        QCOMPARE(v.HS1().place, hs1);
        QCOMPARE(v.VS1().place, vs1);
        // The picture box fills the room exactly, whatever the zoom was: the horizontal bar
        // shows and the vertical one hides.
        QCOMPARE(v.Image(), image);
        QVERIFY(v.HS1().visible);
        QCOMPARE(v.HS1().maximum, int(image.width));
        QVERIFY(!v.VS1().visible);
    }

    void resize_keeps_sizes_that_would_be_negative() {
        Picture_View v;
        v.Resize(9240, 6750, 9060, 6270);
        v.Resize(200, 150, 20, 10);
        QCOMPARE(v.Image().width, 8955.0);
        QCOMPARE(v.Image().height, 6480.0);
        QCOMPARE(v.HS1().place.width, 8760.0);
        QCOMPARE(v.VS1().place.height, 10.0);
        QCOMPARE(v.HS1().place.top, -260.0);
    }

    void pixels() {
        QCOMPARE(viewer::To_Pixels(Box{-500, 0, 8775, 6000}), QRect(-33, 0, 585, 400));
        QCOMPARE(viewer::To_Pixels(22.5), 2); // 1.5 px
        QCOMPARE(viewer::To_Pixels(37.5), 2); // 2.5 px
        QCOMPARE(viewer::To_Pixels(-22.5), -2);
        QCOMPARE(viewer::Round_Half_Even(3.5), 4LL);
    }
};

SCROLLKIN_TEST_MAIN(Test_Picture_View)
#include "test_picture_view.moc"
