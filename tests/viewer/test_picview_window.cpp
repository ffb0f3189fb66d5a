#include "FakePrompter.h"
#include "TestEnv.h"
#include "frmpicview.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

namespace {

template <typename T> T* child(const QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

QList<frmpicview*> open_viewers() {
    QList<frmpicview*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<frmpicview*>(w); v && v->isVisible())
            out << v;
    return out;
}

// The room for the picture box, in twips: the window's outer size (frame included) less the
// vertical bar's width and the horizontal bar's height.
QSizeF room(const QWidget* viewer) {
    const QSize outer = viewer->frameGeometry().size();
    return {outer.width() * 15.0 - 285, outer.height() * 15.0 - 270};
}

QSize pixels(const QSizeF& twips) {
    return {qRound(twips.width() / 15), qRound(twips.height() / 15)};
}

} // namespace

class Test_Picview_Window : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<Fake_Prompter> prompter_;
    QString picture_;

private Q_SLOTS:
    void initTestCase() {
        // Left half red, right half blue.
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter(&image).fillRect(30, 0, 30, 40, Qt::blue);
        picture_ = dir_.filePath(QStringLiteral("chart.bmp"));
        QVERIFY(image.save(picture_, "PNG"));
    }
    void init() {
        owner_ = std::make_unique<QWidget>();
        owner_->resize(800, 600);
        owner_->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner_.get()));
        prompter_ = std::make_unique<Fake_Prompter>();
    }
    void cleanup() {
        prompter_.reset();
        owner_.reset(); // takes any viewer still open with it
        QVERIFY(open_viewers().isEmpty());
    }

    void opens_without_blocking() {
        QPointer<frmpicview> v = Show_Picture(picture_, {}, *prompter_, owner_.get());
        QVERIFY(v);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QCOMPARE(v->objectName(), QStringLiteral("frmpicview"));
        QCOMPARE(v->windowTitle(), QStringLiteral("Picture view"));
        QVERIFY(!v->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(owner_->isEnabled());
        QVERIFY(v->testAttribute(Qt::WA_DeleteOnClose));

        auto* image = child<QWidget>(v, "imgPart_Image");
        auto* p1 = child<QWidget>(v, "p1");
        auto* hs1 = child<QScrollBar>(v, "HS1");
        auto* vs1 = child<QScrollBar>(v, "VS1");
        QVERIFY(image && p1 && hs1 && vs1);
        QVERIFY(!p1->isVisible());
        // The design client area, 9060 x 6270 twips; the picture box fills it beside and above
        // the bars, so the horizontal bar shows and the vertical one does not.
        QCOMPARE(v->size(), QSize(604, 418));
        QCOMPARE(image->geometry(), QRect(QPoint(0, 0), pixels(room(v))));
        QVERIFY(hs1->isVisible());
        QCOMPARE(hs1->maximum(), int(room(v).width()));
        QVERIFY(!vs1->isVisible());
        QCOMPARE(hs1->geometry(), QRect(1, 400, 584, 18));
        QCOMPARE(vs1->geometry(), QRect(585, 0, 19, 418));
        // Until the first zoom the picture shows at its own size.
        const QImage shown = image->grab().toImage();
        QCOMPARE(shown.pixelColor(59, 39), QColor(Qt::blue));
        QVERIFY(shown.pixelColor(70, 10) != QColor(Qt::blue));

        // Another picture opens its own viewer beside the first.
        QPointer<frmpicview> second =
            Show_Picture(picture_, QStringLiteral("chart.bmp"), *prompter_, owner_.get());
        QVERIFY(second && second != v);
        QCOMPARE(second->windowTitle(), QStringLiteral("chart.bmp"));
        QCOMPARE(open_viewers().size(), 2);
    }

    void zooms_by_mouse_from_the_source() {
        QPointer<frmpicview> v = Show_Picture(picture_, {}, *prompter_, owner_.get());
        QVERIFY(QTest::qWaitForWindowExposed(v));
        auto* image = child<QWidget>(v, "imgPart_Image");
        auto* hs1 = child<QScrollBar>(v, "HS1");
        auto* vs1 = child<QScrollBar>(v, "VS1");

        const QSizeF before = room(v);
        QTest::mouseClick(image, Qt::LeftButton);
        QCOMPARE(image->size(), pixels(before * 1.2));
        QVERIFY(hs1->isVisible());
        QCOMPARE(hs1->maximum(), qRound(before.width() * 1.2));
        QVERIFY(vs1->isVisible());
        QCOMPARE(vs1->maximum(), qRound(before.height() * 1.2));
        const int w = image->width(), h = image->height();
        // The whole picture stretched over the whole box.
        QImage shown = image->grab().toImage();
        QCOMPARE(shown.pixelColor(2, 2), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(w / 2 - 20, h - 3), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(w / 2 + 20, 2), QColor(Qt::blue));
        QCOMPARE(shown.pixelColor(w - 3, h - 3), QColor(Qt::blue));

        QTest::mouseClick(image, Qt::RightButton);
        QCOMPARE(v->View().Image().width, before.width() * 0.96);
        QCOMPARE(image->size(), pixels(before * 0.96));
        QVERIFY(!hs1->isVisible());
        QVERIFY(!vs1->isVisible());
        shown = image->grab().toImage();
        QCOMPARE(shown.pixelColor(image->width() / 2 - 10, image->height() - 3), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(image->width() / 2 + 10, image->height() - 3), QColor(Qt::blue));

        QTest::mouseClick(image, Qt::MiddleButton);
        QCOMPARE(image->size(), pixels(before * 0.96));
    }

    void scrolls_by_moving_the_picture() {
        QPointer<frmpicview> v = Show_Picture(picture_, {}, *prompter_, owner_.get());
        QVERIFY(QTest::qWaitForWindowExposed(v));
        auto* image = child<QWidget>(v, "imgPart_Image");
        auto* hs1 = child<QScrollBar>(v, "HS1");
        auto* vs1 = child<QScrollBar>(v, "VS1");
        QTest::mouseClick(image, Qt::LeftButton);
        const QSize zoomed = image->size();
        hs1->setValue(500);
        QCOMPARE(image->pos(), QPoint(-33, 0));
        vs1->setValue(1500);
        QCOMPARE(image->pos(), QPoint(-33, -100));
        QCOMPARE(image->size(), zoomed);
        hs1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // one arrow step: 20 pixels
        QCOMPARE(hs1->value(), 800);
        QCOMPARE(image->x(), -53);

        // A resize puts the box back to the window's size.
        v->resize(700, 500);
        QCOMPARE(image->size(), pixels(room(v)));
        QVERIFY(hs1->isVisible());
        QVERIFY(!vs1->isVisible());
        QCOMPARE(image->y(), 0);
        QCOMPARE(hs1->geometry(), QRect(1, 482, 680, 18));
        QCOMPARE(vs1->geometry(), QRect(681, 0, 19, 500));
    }

    void escape_closes() {
        QPointer<frmpicview> v = Show_Picture(picture_, {}, *prompter_, owner_.get());
        QPointer<frmpicview> other = Show_Picture(picture_, {}, *prompter_, owner_.get());
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(v.isNull());
        QVERIFY(other && other->isVisible());
    }

    void undecodable_picture_is_reported() {
        const QString path = dir_.filePath(QStringLiteral("scan.pcx"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(512, '\x0a'));
        f.close();
        prompter_->Answer(Prompt_Answer::Ok);
        QVERIFY(!Show_Picture(path, {}, *prompter_, owner_.get()));
        const Fake_Prompter::Record shown = prompter_->Last();
        QVERIFY2(
            shown.text.startsWith(QStringLiteral("The picture of 'scan.pcx' cannot be shown: ")),
            qPrintable(shown.text));
        QCOMPARE(shown.title, QStringLiteral("Picture view"));
        QCOMPARE(shown.icon, Prompt_Icon::Information);
        QCOMPARE(shown.buttons, Prompt_Buttons::Ok);
        QVERIFY(open_viewers().isEmpty());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Picview_Window)
#include "test_picview_window.moc"
