#include "BrowserLayout.h"
#include "TestEnv.h"

#include <QtTest>

// Geometry in twips: a 3000 wide tree left of a 60 wide splitter, all 600 from the top.
class Test_Browser_Layout : public QObject {
    Q_OBJECT

    static Browser_Geometry start() {
        Browser_Geometry g;
        g.cmdquery_width = 1200;
        g.tv_top = g.vsp_top = g.lv_top = 600;
        g.vsp_left = g.tv_width = 3000;
        g.vsp_width = 60;
        g.lv_left = 3003;
        return g;
    }
    // The parts a layout sets, left to right: tree, splitter, list.
    static QString parts(const Browser_Geometry& g) {
        return QStringLiteral("tree %1x%2 splitter %3x%4 list %5+%6x%7")
            .arg(g.tv_width)
            .arg(g.tv_height)
            .arg(g.vsp_left)
            .arg(g.vsp_height)
            .arg(g.lv_left)
            .arg(g.lv_width)
            .arg(g.lv_height);
    }

private Q_SLOTS:
    void resize_fills_the_window() {
        Browser_Geometry g = start();
        Layout_Browser(g, 11264, 11144, 7800);
        QCOMPARE(g.frame1_width, 11143);
        QCOMPARE(g.cmbquery_width, 11264 - 5480);
        QCOMPARE(g.cmdquery_left, 11264 - 1200 - 150);
        QCOMPARE(parts(g), QStringLiteral("tree 3000x7200 splitter 3000x7200 list 3003+8079x7200"));
        // Narrowing past the list moves the splitter.
        g = start();
        Layout_Browser(g, 2900, 2800, 7800);
        QCOMPARE(parts(g), QStringLiteral("tree 2780x7200 splitter 2780x7200 list 2783+-45x7200"));
    }

    void splitter_too_far_left_goes_to_200() {
        Browser_Geometry g = start();
        g.vsp_left = 19;
        Layout_Browser(g, 11264, 11144, 7800);
        QCOMPARE(g.vsp_left, 200);
        QCOMPARE(g.tv_width, 200);
        g.vsp_left = 20;
        Layout_Browser(g, 11264, 11144, 7800);
        QCOMPARE(g.vsp_left, 20);
    }

    void dragging_is_clamped_data() {
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("left");
        QTest::newRow("fully left") << -500 << 10;
        QTest::newRow("inside") << 4000 << 4000;
        QTest::newRow("fully right") << 20000 << 11144 - 20;
    }
    void dragging_is_clamped() {
        QFETCH(int, to);
        QFETCH(int, left);
        Browser_Geometry g = start();
        Drag_Splitter(g, to, 11144);
        QCOMPARE(parts(g), QStringLiteral("tree %1x0 splitter %1x0 list %2+%3x0")
                               .arg(left)
                               .arg(left + 3)
                               .arg(11144 - (left + 60) - 5));
    }
};

SCROLLKIN_TEST_MAIN(Test_Browser_Layout)
#include "test_browser_layout.moc"
