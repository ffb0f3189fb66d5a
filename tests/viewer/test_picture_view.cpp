#include "PictureView.h"
#include "TestEnv.h"

#include <QtTest>

using viewer::Box;
using viewer::Picture_View;

namespace {

Picture_View with_image(double width, double height) {
    Picture_View v;
    v.Set_Image({0, 0, width, height});
    v.init_vshs();
    return v;
}

QString box(const Box& b) {
    return QStringLiteral("%1,%2 %3x%4").arg(b.left).arg(b.top).arg(b.width).arg(b.height);
}

// The picture box, then each bar as maximum@value/twips per unit, "-" when hidden.
QString state(const Picture_View& v) {
    QString out = box(v.Image());
    for (const viewer::Scroll_Bar& b : {v.HS1(), v.VS1()})
        out += b.visible
                   ? QStringLiteral(" %1@%2/%3").arg(b.maximum).arg(b.value).arg(b.twips_per_unit)
                   : QStringLiteral(" -");
    return out;
}

} // namespace

class Test_Picture_View : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // However often the user clicks, the box neither outgrows the painter's range nor shrinks
    // below a pixel that could be clicked again; a refused step changes nothing.
    void zoom_stops_at_its_bounds() {
        Picture_View v = with_image(9000, 6000);
        int steps = 0;
        while (v.Zoom(Qt::LeftButton))
            QVERIFY(++steps < 100);
        QCOMPARE(steps, 21); // 9000 x 1.2^21 = 414,094; one step more would pass 491,505
        QVERIFY(v.Image().width * 1.2 > Picture_View::Largest_Box);
        QVERIFY(v.HS1().visible &&
                qint64(v.HS1().maximum) * v.HS1().twips_per_unit >= qint64(v.Image().width));

        v = with_image(9000, 6000);
        for (steps = 0; v.Zoom(Qt::RightButton);)
            QVERIFY(++steps < 100);
        QVERIFY(v.Image().height >= viewer::Twips_Per_Pixel);
        QVERIFY(v.Image().height * 0.8 < viewer::Twips_Per_Pixel);
        const double width = v.Image().width;
        QVERIFY(!v.Zoom(Qt::RightButton));
        QCOMPARE(v.Image().width, width);
        QVERIFY(v.Zoom(Qt::LeftButton));
        QCOMPARE(v.Image().width, width * 1.2);
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
            // Arrow and page steps stay 20 and 40 pixels.
            QCOMPARE(bar.Single_Step() * unit, 300);
            QCOMPARE(bar.Page_Step() * unit, 600);
        }
        v.Scroll_Horizontal(maximum);
        v.Scroll_Vertical(maximum);
        const double whole = double(viewer::Round_Half_Even(extent));
        QVERIFY(-v.Image().left >= whole && -v.Image().left < whole + unit);
        QVERIFY(-v.Image().top >= whole && -v.Image().top < whole + unit);
    }

    // Steps: h<n> and v<n> set a bar's value; +, - and m click the left, right and middle
    // button, where only the middle one changes nothing.
    void after_clicks_and_scrolls_data() {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("after");
        const QSizeF small(6000, 4000), large(20000, 15000);
        // clang-format off
        QTest::newRow("zoom in") << small << "+" << "0,0 7200x4800 - -";
        QTest::newRow("zoom out") << small << "-" << "0,0 4800x3200 - -";
        QTest::newRow("in then out") << small << "+ -" << "0,0 5760x3840 - -";
        QTest::newRow("in twice, middle") << small << "+ + m" << "0,0 8640x5760 - -";
        QTest::newRow("five in, five out") << small << "+ + + + + - - - - -" << "0,0 4892.24x3261.49 - -";
        // The room is the outer size (9060 x 6270 before any resize) less the other bar: 8775
        // across, 6000 down. Equality shows the horizontal bar but not the vertical one; halves
        // go to the even neighbour.
        QTest::newRow("equal to the room") << QSizeF(8775, 6000) << "" << "0,0 8775x6000 8775@0/1 -";
        QTest::newRow("a twip less") << QSizeF(8774, 5999) << "" << "0,0 8774x5999 - -";
        QTest::newRow("a twip more") << QSizeF(8776, 6001) << "" << "0,0 8776x6001 8776@0/1 6001@0/1";
        QTest::newRow("half a twip less") << QSizeF(8774.5, 5999.5) << "" << "0,0 8774.5x5999.5 - -";
        QTest::newRow("half a twip more") << QSizeF(8775.5, 6000.5) << "" << "0,0 8775.5x6000.5 8776@0/1 6000@0/1";
        QTest::newRow("a tenth more") << QSizeF(8775.4, 6000.6) << "" << "0,0 8775.4x6000.6 8775@0/1 6001@0/1";
        QTest::newRow("scrolled") << large << "h500 v250" << "-500,-250 20000x15000 20000@500/1 15000@250/1";
        QTest::newRow("past the ends") << large << "h99999 v-5" << "-20000,0 20000x15000 20000@20000/1 15000@0/1";
        QTest::newRow("zoom keeps the place") << large << "h500 v14000 +" << "-500,-14000 24000x18000 24000@500/1 18000@14000/1";
        // Down to 11520 high the bar's end no longer reaches 14000: the picture follows the bar.
        QTest::newRow("place beyond the bar") << large << "h500 v14000 + - -" << "-500,-11520 15360x11520 15360@500/1 11520@11520/1";
        // A bar that hides takes the picture back to its edge, so no part stays out of reach.
        QTest::newRow("bars hide") << QSizeF(9000, 6200) << "h700 v100 -" << "0,0 7200x4960 - -";
        // The bar's value now counts pairs of twips; the picture keeps its place.
        QTest::newRow("zoom past the range") << QSizeF(30000, 30000) << "h30000 +" << "-30000,0 36000x36000 18000@15000/2 18000@0/2";
        QTest::newRow("then to its end") << QSizeF(30000, 30000) << "h30000 + h18000" << "-36000,0 36000x36000 18000@18000/2 18000@0/2";
        // clang-format on
    }
    void after_clicks_and_scrolls() {
        QFETCH(QSizeF, size);
        QFETCH(QString, steps);
        QFETCH(QString, after);
        Picture_View v = with_image(size.width(), size.height());
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const char c = step[0].toLatin1();
            if (c == 'h')
                v.Scroll_Horizontal(step.mid(1).toInt());
            else if (c == 'v')
                v.Scroll_Vertical(step.mid(1).toInt());
            else
                QCOMPARE(v.Zoom(c == '+' ? Qt::LeftButton
                                         : (c == '-' ? Qt::RightButton : Qt::MiddleButton)),
                         c != 'm');
        }
        QCOMPARE(state(v), after);
    }

    // The picture box fills the room exactly, whatever the zoom was; a size that would be
    // negative keeps the one before.
    void resize_data() {
        QTest::addColumn<QList<int>>("sizes"); // outer width and height, client width and height
        QTest::addColumn<QString>("places");   // horizontal bar, vertical bar
        QTest::addColumn<QString>("after");
        // clang-format off
        QTest::newRow("design") << QList{9240, 6750, 9060, 6270} << "15,6000 8760x270 8775,0 285x6270" << "0,0 8955x6480 8955@0/1 -";
        QTest::newRow("wide") << QList{30180, 3480, 30000, 3000} << "15,2730 29700x270 29715,0 285x3000" << "0,0 29895x3210 29895@0/1 -";
        // Too narrow for the horizontal bar: it keeps its width; the vertical one moves left of
        // the edge.
        QTest::newRow("narrow") << QList{380, 6750, 200, 6270} << "15,6000 9045x270 -85,0 285x6270" << "0,0 95x6480 95@0/1 -";
        QTest::newRow("negative") << QList{9240, 6750, 9060, 6270, 200, 150, 20, 10} << "15,-260 8760x270 -265,0 285x10" << "0,0 8955x6480 8955@0/1 6480@0/1";
        // clang-format on
    }
    void resize() {
        QFETCH(QList<int>, sizes);
        QFETCH(QString, places);
        QFETCH(QString, after);
        Picture_View v;
        QVERIFY(v.Zoom(Qt::LeftButton));
        for (qsizetype i = 0; i + 3 < sizes.size(); i += 4)
            v.Resize(sizes[i], sizes[i + 1], sizes[i + 2], sizes[i + 3]);
        QCOMPARE(box(v.HS1().place) + u' ' + box(v.VS1().place), places);
        QCOMPARE(state(v), after);
    }

    void pixels() { // to the nearest pixel, halves to the even one (37.5 twips: 2.5 px)
        QCOMPARE(viewer::To_Pixels(Box{-500, 0, 8775, 6000}), QRect(-33, 0, 585, 400));
        QCOMPARE(viewer::To_Pixels(37.5), 2);
    }
};

SCROLLKIN_TEST_MAIN(Test_Picture_View)
#include "test_picture_view.moc"
