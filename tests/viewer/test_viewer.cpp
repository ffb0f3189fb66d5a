#include "FakePrompter.h"
#include "PictureFile.h"
#include "PictureView.h"
#include "StretchedPicture.h"
#include "TestEnv.h"
#include "Transcript.h"
#include "WindowTest.h"
#include "frmpicview.h"

using viewer::Picture_View;
using wintest::child;

namespace {

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).toRgb();
}
// Four quadrants of different colours, so a drawing shows which part of the source lands where.
QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height / 2, Qt::red);
    p.fillRect(width / 2, 0, width - width / 2, height / 2, Qt::green);
    p.fillRect(0, height / 2, width / 2, height - height / 2, Qt::blue);
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::yellow);
    return image;
}
Picture_View with_image(double width, double height) {
    Picture_View v;
    v.Set_Image({0, 0, width, height});
    v.init_vshs();
    return v;
}
QString box(const viewer::Box& b) {
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
// The room for the picture box in pixels: the window's outer size less the bars.
QSize room(const QWidget* viewer, double zoom = 1) {
    const QSize outer = viewer->frameGeometry().size();
    return {qRound((outer.width() * 15.0 - 285) * zoom / 15),
            qRound((outer.height() * 15.0 - 270) * zoom / 15)};
}

} // namespace

class Test_Viewer : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private Q_SLOTS:
    void picture_files() {
        Transcript t(QStringLiteral("viewer/transcripts/picture_files.txt"));
        for (const QString& n : testenv::List(
                 ".BMP,.JPG,.JPEG,.TIF,.TIFF,.GIF,.PCX,.DCX,.WIFF,.tif,.Jpeg,.gIf,bmp,TIFF,"
                 "..jpg,x.jpg,holiday.JPG,scan.2024.tiff,.png,.doc,.tifx,.ti,.,, ,.jpg "
                 ",.b.mp,gif.doc,a.png"))
            t << QStringLiteral("'%1' type %2 file %3")
                     .arg(n)
                     .arg(viewer::Is_Picture_Type(n))
                     .arg(viewer::Is_Picture_File(n));
        // Refusals name the file and why: the decoder's words, or, before anything is decoded,
        // the picture's size against the memory free (the photo is a BMP header alone).
        QVERIFY(!viewer::Load_Picture(dir_.filePath(QStringLiteral("gone.bmp"))).error.isEmpty());
        QByteArray photo;
        QBuffer buffer(&photo);
        QVERIFY(buffer.open(QIODevice::WriteOnly) &&
                QImage(1, 1, QImage::Format_RGB32).save(&buffer, "BMP"));
        qToLittleEndian<qint32>(8000, photo.data() + 18);
        qToLittleEndian<qint32>(6000, photo.data() + 22);
        const QString path = testenv::Write_File(dir_.filePath(QStringLiteral("photo.jpg")), photo);
        QLocale::setDefault(QLocale::c());
        const viewer::Loaded_Picture loaded = viewer::Load_Picture(path, 300LL * 1024 * 1024);
        QVERIFY(loaded.image.isNull());
        t << viewer::Picture_Failure_Text(path, loaded.error);
        // The whole source fills the new size, smaller or larger; at no width nothing is drawn.
        for (const QSize size : {QSize(-5, 12), QSize(20, 16), QSize(10, 90), QSize(130, 50)}) {
            viewer::Stretched_Picture picture(quadrants(40, 30));
            picture.Stretch_To(size);
            const QImage d = picture.Render().convertToFormat(QImage::Format_RGB32);
            QVERIFY(picture.Size() == size.expandedTo({0, 0}) && d.isNull() == size.isEmpty());
            if (!size.isEmpty())
                QVERIFY(d.size() == size && at(d, 1, 1) == Qt::red &&
                        at(d, size.width() - 2, 1) == Qt::green &&
                        at(d, 1, size.height() - 2) == Qt::blue &&
                        at(d, size.width() - 2, size.height() - 2) == Qt::yellow);
        }
        // Shrunk to a grey blur and enlarged again, the picture is drawn from its source.
        QImage squares(32, 32, QImage::Format_RGB32); // black and white squares of 4 pixels
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                squares.setPixel(x, y, ((x / 4 + y / 4) % 2) ? 0xffffffff : 0xff000000);
        for (const int side : {24, 96}) {
            viewer::Stretched_Picture picture(squares), at_once(squares);
            picture.Stretch_To({4, 4});
            QVERIFY(at(picture.Render(), 1, 1).red() > 40 &&
                    at(picture.Render(), 1, 1).red() < 215);
            picture.Stretch_To({12, 12});
            picture.Stretch_To({side, side});
            at_once.Stretch_To({side, side});
            const QImage drawn = picture.Render();
            const int s = side / 32.0 * 2; // the middles of the first two squares
            QVERIFY(drawn == at_once.Render() && at(drawn, s, s) == Qt::black &&
                    at(drawn, 3 * s, s) == Qt::white);
        }
        QVERIFY(t.Matches());
    }

    // Steps: h<n> and v<n> set a bar's value; +, - and m click the left, right and middle
    // button, where only the middle one changes nothing. The state after each step.
    void picture_view_steps() {
        Transcript t(QStringLiteral("viewer/transcripts/picture_view.txt"));
        // The room is the outer size (9060 x 6270 before any resize) less the other bar: 8775
        // across, 6000 down; equality shows the horizontal bar but not the vertical one.
        // clang-format off
        for (const char* run : {"6000x4000 + - + + m + + + - - - - -", "8775x6000", "8774x5999", "8776x6001",
                                "8774.5x5999.5", "8775.5x6000.5", "8775.4x6000.6",
                                "20000x15000 h500 v250 h99999 v-5 h-3 h500 v14000 + - -", "9000x6200 h700 v100 -",
                                "30000x30000 h30000 + h18000", "32767x32767 h32767 v32767", "32767.4x32767.4",
                                "32767.5x32767.5 h16384 v16384", "40000x40000 h20000", "65534x65534 h32767",
                                "65535x65535 h21845", "491505x491505 h32767"}) {
            // clang-format on
            const QStringList steps = QString::fromLatin1(run).split(u' ');
            Picture_View v = with_image(steps[0].section(u'x', 0, 0).toDouble(),
                                        steps[0].section(u'x', 1).toDouble());
            t << steps[0] + QStringLiteral(": ") + state(v);
            // Arrow and page steps stay 20 and 40 pixels, whatever a unit of the bar stands for.
            QVERIFY(v.HS1().Single_Step() * v.HS1().twips_per_unit == 300 &&
                    v.VS1().Page_Step() * v.VS1().twips_per_unit == 600);
            for (const QString& step : steps.mid(1)) {
                const char c = step[0].toLatin1();
                if (c == 'h' || c == 'v')
                    (c == 'h') ? v.Scroll_Horizontal(step.mid(1).toInt())
                               : v.Scroll_Vertical(step.mid(1).toInt());
                else
                    QCOMPARE(v.Zoom(c == '+' ? Qt::LeftButton
                                             : (c == '-' ? Qt::RightButton : Qt::MiddleButton)),
                             c != 'm');
                t << QStringLiteral("  %1: ").arg(step) + state(v);
            }
        }
        // However often the user clicks, the box neither outgrows the painter's range nor
        // shrinks below a pixel that could be clicked again; a refused step changes nothing.
        Picture_View v = with_image(9000, 6000);
        int steps = 0;
        while (v.Zoom(Qt::LeftButton) && ++steps < 100) {
        }
        t << QStringLiteral("zoomed in %1 times: ").arg(steps) + state(v);
        QVERIFY(v.Image().width * 1.2 > Picture_View::Largest_Box);
        for (steps = 0; v.Zoom(Qt::RightButton) && steps < 100; ++steps) {
        }
        QVERIFY(v.Image().height >= viewer::Twips_Per_Pixel &&
                v.Image().height * 0.8 < viewer::Twips_Per_Pixel);
        t << QStringLiteral("zoomed out %1 times: ").arg(steps) + state(v);
        QVERIFY(!v.Zoom(Qt::RightButton) && v.Zoom(Qt::LeftButton));
        t << QStringLiteral("refused, then in: ") + state(v);
        // The box fills the room whatever the zoom was; a negative size keeps the one before.
        // Too narrow for the horizontal bar: it keeps its width; the vertical one moves left.
        for (const QList<int>& sizes : {QList{9240, 6750, 9060, 6270},
                                        {30180, 3480, 30000, 3000},
                                        {380, 6750, 200, 6270},
                                        {9240, 6750, 9060, 6270, 200, 150, 20, 10}}) {
            Picture_View r;
            QVERIFY(r.Zoom(Qt::LeftButton));
            for (qsizetype i = 0; i + 3 < sizes.size(); i += 4)
                r.Resize(sizes[i], sizes[i + 1], sizes[i + 2], sizes[i + 3]);
            t << QStringLiteral("resized to %1 %2: ")
                         .arg(sizes[sizes.size() - 4])
                         .arg(sizes[sizes.size() - 3]) +
                     box(r.HS1().place) + u' ' + box(r.VS1().place) + QStringLiteral(", ") +
                     state(r);
        }
        // To the nearest pixel, halves to the even one (37.5 twips: 2.5 px).
        QVERIFY(viewer::To_Pixels(viewer::Box{-500, 0, 8775, 6000}) == QRect(-33, 0, 585, 400) &&
                viewer::To_Pixels(37.5) == 2);
        QVERIFY(t.Matches());
    }

    // Viewers open without blocking, one per picture; the mouse zooms, the bars move the
    // picture; a picture that cannot be decoded is reported.
    void viewer_window() {
        QImage image(60, 40, QImage::Format_RGB32); // left half red, right half blue
        image.fill(Qt::red);
        QPainter(&image).fillRect(30, 0, 30, 40, Qt::blue);
        const QString chart = dir_.filePath(QStringLiteral("chart.bmp")),
                      large = dir_.filePath(QStringLiteral("scan.jpg"));
        QVERIFY(image.save(chart, "PNG"));
        image = QImage(6000, 6000, QImage::Format_RGB32); // 4 bytes a pixel: above 128 MiB
        image.fill(Qt::black);
        QVERIFY(image.save(large, "JPEG"));
        QWidget owner;
        owner.resize(800, 600);
        owner.show();
        Fake_Prompter prompter;
        QPointer<frmpicview> v = Show_Picture(chart, {}, prompter, &owner);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QWidget* img = child(v, "imgPart_Image");
        auto *hs1 = child<QScrollBar>(v, "HS1"), *vs1 = child<QScrollBar>(v, "VS1");
        const auto shown = [&img](int x, int y) { return img->grab().toImage().pixelColor(x, y); };
        QVERIFY(v->objectName() == u"frmpicview"_qs && v->windowTitle() == u"Picture view"_qs);
        QVERIFY(!QApplication::activeModalWidget() && owner.isEnabled() &&
                !child(v, "p1")->isVisible());
        // The design client area; the picture box fills it beside and above the bars, so the
        // horizontal bar shows and the vertical one does not.
        QCOMPARE(v->size(), QSize(604, 418));
        QCOMPARE(img->geometry(), QRect(QPoint(0, 0), room(v)));
        QVERIFY(hs1->isVisible() && hs1->maximum() == room(v).width() * 15 && !vs1->isVisible());
        QVERIFY(hs1->geometry() == QRect(1, 400, 584, 18) &&
                vs1->geometry() == QRect(585, 0, 19, 418));
        // Until the first zoom the picture shows at its own size.
        QVERIFY(shown(59, 39) == QColor(Qt::blue) && shown(70, 10) != QColor(Qt::blue));
        QTest::mouseClick(img, Qt::LeftButton);
        const int w = img->width(), h = img->height();
        QCOMPARE(img->size(), room(v, 1.2));
        QVERIFY(hs1->isVisible() && vs1->isVisible());
        QVERIFY(hs1->maximum() == qRound(room(v).width() * 15 * 1.2) &&
                vs1->maximum() == qRound(room(v).height() * 15 * 1.2));
        QVERIFY(shown(2, 2) == QColor(Qt::red) && shown(w / 2 - 20, h - 3) == QColor(Qt::red));
        QVERIFY(shown(w / 2 + 20, 2) == QColor(Qt::blue) &&
                shown(w - 3, h - 3) == QColor(Qt::blue));
        hs1->setValue(500);
        vs1->setValue(1500);
        QCOMPARE(img->geometry(), QRect(QPoint(-33, -100), QSize(w, h)));
        hs1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // one arrow step: 20 pixels
        QVERIFY(hs1->value() == 800 && img->x() == -53);
        // A resize puts the box back to the window's size; the horizontal bar stays, and with
        // it the place across.
        v->resize(700, 500);
        QCOMPARE(img->geometry(), QRect(QPoint(-53, 0), room(v)));
        QVERIFY(hs1->isVisible() && !vs1->isVisible());
        QVERIFY(hs1->geometry() == QRect(1, 482, 680, 18) &&
                vs1->geometry() == QRect(681, 0, 19, 500));
        QTest::mouseClick(img, Qt::RightButton);
        QVERIFY(img->size() == room(v, 0.8) && !hs1->isVisible() && !vs1->isVisible());
        QVERIFY(shown(img->width() / 2 - 10, img->height() - 3) == QColor(Qt::red) &&
                shown(img->width() / 2 + 10, img->height() - 3) == QColor(Qt::blue));
        // Another picture opens its own viewer; one above the decoder's former limit of 128 MiB
        // shows too, and zooms from its source. Escape closes only its own viewer.
        QPointer<frmpicview> second =
            Show_Picture(large, QStringLiteral("scan.jpg"), prompter, &owner);
        QVERIFY(second && second != v && second->windowTitle() == u"scan.jpg"_qs);
        QCOMPARE(child<Picture_Box>(second, "p1")->Picture().Source().size(), QSize(6000, 6000));
        QWidget* zoomed = child(second, "imgPart_Image");
        QTest::mouseClick(zoomed, Qt::LeftButton);
        QCOMPARE(zoomed->grab().toImage().pixelColor(zoomed->rect().center()), QColor(Qt::black));
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(v.isNull());
        QVERIFY(second && second->isVisible());
        const QString pcx =
            testenv::Write_File(dir_.filePath(QStringLiteral("scan.pcx")), QByteArray(512, '\x0a'));
        prompter.Answer(Prompt_Answer::Ok);
        QVERIFY(!Show_Picture(pcx, {}, prompter, &owner));
        const Fake_Prompter::Record r = prompter.Last();
        QVERIFY2(r.text.startsWith(QStringLiteral("The picture of 'scan.pcx' cannot be shown: ")),
                 qPrintable(r.text));
        QVERIFY(r.title == u"Picture view"_qs && r.icon == Prompt_Icon::Information &&
                r.buttons == Prompt_Buttons::Ok);
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Viewer)
#include "test_viewer.moc"
