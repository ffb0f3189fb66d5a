#include "FakePrompter.h"
#include "TestEnv.h"
#include "WindowTest.h"
#include "frmpicview.h"

using wintest::child;

namespace {

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
    QString picture_, large_;
    QPointer<frmpicview> v_;
    QWidget* image_ = nullptr;
    QScrollBar *hs1_ = nullptr, *vs1_ = nullptr;

    // A viewer on the test picture, shown, with its controls at hand.
    void open() {
        v_ = Show_Picture(picture_, {}, *prompter_, owner_.get());
        QVERIFY(QTest::qWaitForWindowExposed(v_));
        image_ = child(v_, "imgPart_Image");
        hs1_ = child<QScrollBar>(v_, "HS1");
        vs1_ = child<QScrollBar>(v_, "VS1");
        QVERIFY(image_ && hs1_ && vs1_);
    }
    QColor shown(int x, int y) const { return image_->grab().toImage().pixelColor(x, y); }

private Q_SLOTS:
    void initTestCase() {
        // Left half red, right half blue.
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter(&image).fillRect(30, 0, 30, 40, Qt::blue);
        picture_ = dir_.filePath(QStringLiteral("chart.bmp"));
        QVERIFY(image.save(picture_, "PNG"));
        image = QImage(6000, 6000, QImage::Format_RGB32); // 4 bytes a pixel: above 128 MiB
        image.fill(Qt::black);
        QVERIFY(image.save(large_ = dir_.filePath(QStringLiteral("scan.jpg")), "JPEG"));
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
        open();
        QCOMPARE(v_->objectName(), QStringLiteral("frmpicview"));
        QCOMPARE(v_->windowTitle(), QStringLiteral("Picture view"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(owner_->isEnabled());
        QVERIFY(!child(v_, "p1")->isVisible());
        // The design client area, 9060 x 6270 twips; the picture box fills it beside and above
        // the bars, so the horizontal bar shows and the vertical one does not.
        QCOMPARE(v_->size(), QSize(604, 418));
        QCOMPARE(image_->geometry(), QRect(QPoint(0, 0), pixels(room(v_))));
        QVERIFY(hs1_->isVisible());
        QCOMPARE(hs1_->maximum(), int(room(v_).width()));
        QVERIFY(!vs1_->isVisible());
        QCOMPARE(hs1_->geometry(), QRect(1, 400, 584, 18));
        QCOMPARE(vs1_->geometry(), QRect(585, 0, 19, 418));
        // Until the first zoom the picture shows at its own size.
        QCOMPARE(shown(59, 39), QColor(Qt::blue));
        QVERIFY(shown(70, 10) != QColor(Qt::blue));

        // Another picture opens its own viewer beside the first; one above the decoder's former
        // limit of 128 MiB shows too, and zooms from its source.
        QPointer<frmpicview> second =
            Show_Picture(large_, QStringLiteral("scan.jpg"), *prompter_, owner_.get());
        QVERIFY(second && second != v_);
        QCOMPARE(second->windowTitle(), QStringLiteral("scan.jpg"));
        QCOMPARE(open_viewers().size(), 2);
        QCOMPARE(child<Picture_Box>(second, "p1")->Picture().Source().size(), QSize(6000, 6000));
        QWidget* large = child(second, "imgPart_Image");
        QTest::mouseClick(large, Qt::LeftButton);
        QCOMPARE(large->grab().toImage().pixelColor(large->rect().center()), QColor(Qt::black));
        // Escape closes (and frees) only its own viewer.
        QTest::keyClick(v_, Qt::Key_Escape);
        QTRY_VERIFY(v_.isNull());
        QVERIFY(second && second->isVisible());
    }

    void zooms_by_mouse_and_scrolls_by_moving_the_picture() {
        open();
        const QSizeF before = room(v_);
        QTest::mouseClick(image_, Qt::LeftButton);
        QCOMPARE(image_->size(), pixels(before * 1.2));
        QVERIFY(hs1_->isVisible() && vs1_->isVisible());
        QCOMPARE(hs1_->maximum(), qRound(before.width() * 1.2));
        QCOMPARE(vs1_->maximum(), qRound(before.height() * 1.2));
        // The whole picture stretched over the whole box.
        const int w = image_->width(), h = image_->height();
        QCOMPARE(shown(2, 2), QColor(Qt::red));
        QCOMPARE(shown(w / 2 - 20, h - 3), QColor(Qt::red));
        QCOMPARE(shown(w / 2 + 20, 2), QColor(Qt::blue));
        QCOMPARE(shown(w - 3, h - 3), QColor(Qt::blue));

        hs1_->setValue(500);
        vs1_->setValue(1500);
        QCOMPARE(image_->geometry(), QRect(QPoint(-33, -100), QSize(w, h)));
        hs1_->triggerAction(QAbstractSlider::SliderSingleStepAdd); // one arrow step: 20 pixels
        QCOMPARE(hs1_->value(), 800);
        QCOMPARE(image_->x(), -53);

        // A resize puts the box back to the window's size; the horizontal bar stays, and with it
        // the place across.
        v_->resize(700, 500);
        QCOMPARE(image_->geometry(), QRect(QPoint(-53, 0), pixels(room(v_))));
        QVERIFY(hs1_->isVisible() && !vs1_->isVisible());
        QCOMPARE(hs1_->geometry(), QRect(1, 482, 680, 18));
        QCOMPARE(vs1_->geometry(), QRect(681, 0, 19, 500));

        QTest::mouseClick(image_, Qt::RightButton);
        QCOMPARE(image_->size(), pixels(room(v_) * 0.8));
        QVERIFY(!hs1_->isVisible() && !vs1_->isVisible());
        QCOMPARE(shown(image_->width() / 2 - 10, image_->height() - 3), QColor(Qt::red));
        QCOMPARE(shown(image_->width() / 2 + 10, image_->height() - 3), QColor(Qt::blue));
    }

    void undecodable_picture_is_reported() {
        const QString path = dir_.filePath(QStringLiteral("scan.pcx"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(512, '\x0a')) == 512);
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
