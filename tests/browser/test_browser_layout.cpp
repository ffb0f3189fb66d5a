#include "BrowserLayout.h"
#include "TestEnv.h"

#include <QtTest>

class Test_Browser_Layout : public QObject {
    Q_OBJECT

    static Browser_Geometry start() {
        Browser_Geometry g;
        g.cmdquery_width = 1200;
        g.tv_top = g.vsp_top = g.lv_top = 600;
        g.vsp_left = 3000;
        g.vsp_width = 60;
        g.tv_width = 3000;
        g.lv_left = 3003;
        return g;
    }

private Q_SLOTS:
    void resize_fills_the_window() {
        Browser_Geometry g = start();
        Layout_Browser(g, 11264, 11144, 7800);
        QCOMPARE(g.frame1_width, 11143);
        QCOMPARE(g.cmbquery_width, 11264 - 5480);
        QCOMPARE(g.cmdquery_left, 11264 - 1200 - 150);
        QCOMPARE(g.tv_height, 7200);
        QCOMPARE(g.lv_height, 7200);
        QCOMPARE(g.vsp_height, 7200);
        QCOMPARE(g.tv_width, 3000);
        QCOMPARE(g.lv_left, 3003);
        QCOMPARE(g.lv_width, 11144 - 3060 - 5);
    }

    void narrowing_past_the_list_moves_the_splitter() {
        Browser_Geometry g = start();
        Layout_Browser(g, 2900, 2800, 7800);
        QCOMPARE(g.vsp_left, 2780);
        QCOMPARE(g.tv_width, 2780);
        QCOMPARE(g.lv_left, 2783);
        QCOMPARE(g.lv_width, 2800 - 2840 - 5);
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
        QCOMPARE(g.vsp_left, left);
        QCOMPARE(g.tv_width, left);
        QCOMPARE(g.lv_left, left + 3);
        QCOMPARE(g.lv_width, 11144 - (left + 60) - 5);
    }
};

SCROLLKIN_TEST_MAIN(Test_Browser_Layout)
#include "test_browser_layout.moc"
