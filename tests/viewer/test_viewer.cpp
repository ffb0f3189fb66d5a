#include "../shell/Lines.h"
#include "FakePrompter.h"
#include "TestEnv.h"
#include "WindowTest.h"
#include "viewer/PictureFile.h"
#include "viewer/PictureView.h"
#include "viewer/StretchedPicture.h"
#include "viewer/frmpicview.h"

using viewer::Picture_View;
using wintest::child;

namespace {

// The colours at an image's corners and on either side of its middle.
QString colours(const QImage& i) {
    const int w = i.width(), h = i.height(), x[] = {1, w - 2, 1, w - 2, w / 2 - 3, w / 2 + 2},
              y[] = {1, 1, h - 2, h - 2, h / 2, h / 2};
    QStringList out;
    for (int k = 0; k < 6; ++k)
        out << i.pixelColor(x[k], y[k]).name();
    return out.join(u' ');
}
// The picture box, then each bar as maximum@value/twips per unit, "-" when hidden.
QString state(const Picture_View& v) {
    QString out = row(v.Image().left, v.Image().top, v.Image().width, v.Image().height);
    for (const viewer::Scroll_Bar& b : {v.HS1(), v.VS1()})
        out +=
            b.visible ? u" %1@%2/%3"_s.arg(b.maximum).arg(b.value).arg(b.twips_per_unit) : u" -"_s;
    return out;
}
// The viewer's picture box and bars as they show, and what the box shows.
QString shown(QWidget* viewer) {
    QString out;
    for (const char* name : {"imgPart_Image", "HS1", "VS1"}) {
        const QWidget* w = child(viewer, name);
        const auto* bar = qobject_cast<const QScrollBar*>(w);
        const QRect g = w->geometry();
        out += row(QLatin1StringView(name), w->isVisible(), g.x(), g.y(), g.width(), g.height(),
                   bar ? bar->maximum() : 0, bar ? bar->value() : 0) +
               u' ';
    }
    return out + colours(child(viewer, "imgPart_Image")->grab().toImage());
}

} // namespace

class Test_Viewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void picture_files_and_stretching() {
        Script t(u"viewer/transcripts/picture_files.txt"_s);
        // [names] a file type or name: picture type, picture file. [stretch] the whole source
        // fills the new size, smaller or larger; at no width nothing is drawn.
        QImage quadrants(2, 2, QImage::Format_RGB32); // red, green above blue, yellow
        for (int k = 0; k < 4; ++k)
            quadrants.setPixelColor(k % 2, k / 2,
                                    QList<QColor>{Qt::red, Qt::green, Qt::blue, Qt::yellow}[k]);
        quadrants = quadrants.scaled(40, 30);
        t.Run([&](auto& s, auto& in) {
            if (s == u"names"_s)
                return void(t << row(viewer::Is_Picture_Type(in), viewer::Is_Picture_File(in)));
            viewer::Stretched_Picture picture(quadrants);
            picture.Stretch_To({in.section(u'x', 0, 0).toInt(), in.section(u'x', 1).toInt()});
            const QImage drawn = picture.Render().convertToFormat(QImage::Format_RGB32);
            t << row(picture.Size().width(), picture.Size().height(), drawn.width(),
                     drawn.height()) +
                     u' ' + (drawn.isNull() ? QString() : colours(drawn));
        });
        // Refusals name the file and why: the decoder's words, or, before anything is decoded,
        // the picture's size against the memory free (the photo is a BMP header alone).
        QTemporaryDir dir;
        QVERIFY(!viewer::Load_Picture(dir.filePath(u"gone.bmp"_s)).error.isEmpty());
        QByteArray photo;
        QBuffer buffer(&photo);
        QVERIFY(buffer.open(QIODevice::WriteOnly) &&
                QImage(1, 1, QImage::Format_RGB32).save(&buffer, "BMP"));
        qToLittleEndian<qint32>(8000, photo.data() + 18);
        qToLittleEndian<qint32>(6000, photo.data() + 22);
        const QString path = testenv::Write_File(dir.filePath(u"photo.jpg"_s), photo);
        QLocale::setDefault(QLocale::c());
        const viewer::Loaded_Picture loaded = viewer::Load_Picture(path, 300LL * 1024 * 1024);
        QVERIFY(loaded.image.isNull());
        t << viewer::Picture_Failure_Text(path, loaded.error);
        // Shrunk to a grey blur and enlarged again, the picture is drawn from its source.
        QImage squares(8, 8, QImage::Format_RGB32); // black and white squares of 4 pixels
        for (int k = 0; k < 64; ++k)
            squares.setPixel(k % 8, k / 8, (k % 8 + k / 8) % 2 ? 0xffffffff : 0xff000000);
        squares = squares.scaled(32, 32);
        for (const int side : {24, 96}) {
            viewer::Stretched_Picture picture(squares), at_once(squares);
            picture.Stretch_To({4, 4});
            t << colours(picture.Render());
            picture.Stretch_To({12, 12});
            picture.Stretch_To({side, side});
            at_once.Stretch_To({side, side});
            QVERIFY(picture.Render() == at_once.Render());
            t << colours(picture.Render());
        }
        QVERIFY(t.Matches());
    }

    // Steps: h<n> and v<n> set a bar's value; +, - and m click the left, right and middle
    // button, where only the middle one changes nothing. The state after each step. The room
    // is the outer size (9060 x 6270 before any resize) less the other bar: 8775 x 6000.
    void picture_view_steps() {
        Script t(u"viewer/transcripts/picture_view.txt"_s);
        t.Run([&](auto&, auto& run) {
            const QStringList steps = run.split(u' ');
            Picture_View v;
            v.Set_Image({0, 0, steps[0].section(u'x', 0, 0).toDouble(),
                         steps[0].section(u'x', 1).toDouble()});
            v.init_vshs();
            t << steps[0] + u": "_s + state(v);
            // Arrow and page steps stay 20 and 40 pixels, whatever a unit of the bar stands
            // for.
            QVERIFY(v.HS1().Single_Step() * v.HS1().twips_per_unit == 300 &&
                    v.VS1().Page_Step() * v.VS1().twips_per_unit == 600);
            for (const QString& step : steps.mid(1)) {
                const char c = step[0].toLatin1();
                int n = 0; // < and > zoom until refused: the box neither outgrows the painter's
                           // range nor shrinks below a pixel that could be clicked again
                if (c == 'h' || c == 'v')
                    (c == 'h') ? v.Scroll_Horizontal(step.mid(1).toInt())
                               : v.Scroll_Vertical(step.mid(1).toInt());
                else if (c == '<' || c == '>')
                    while (v.Zoom(c == '>' ? Qt::LeftButton : Qt::RightButton) && ++n < 100) {
                    }
                else
                    n = v.Zoom(c == '+' ? Qt::LeftButton
                                        : (c == '-' ? Qt::RightButton : Qt::MiddleButton));
                t << u"  %1 %2: "_s.arg(step).arg(n) + state(v);
            }
        });
        // To the nearest pixel, halves to the even one (37.5 twips: 2.5 px).
        QVERIFY(viewer::To_Pixels(viewer::Box{-500, 0, 8775, 6000}) == QRect(-33, 0, 585, 400) &&
                viewer::To_Pixels(37.5) == 2);
        QVERIFY(t.Matches());
    }

    // Viewers open without blocking, one per picture; the mouse zooms, the bars move the
    // picture; a picture that cannot be decoded is reported.
    void viewer_window() {
        Script t(u"viewer/transcripts/viewer_window.txt"_s);
        QTemporaryDir dir;
        QImage image(60, 40, QImage::Format_RGB32); // left half red, right half blue
        image.fill(Qt::red);
        QPainter(&image).fillRect(30, 0, 30, 40, Qt::blue);
        const QString chart = dir.filePath(u"chart.bmp"_s);
        QVERIFY(image.save(chart, "PNG"));
        image = QImage(6000, 6000, QImage::Format_RGB32); // 4 bytes a pixel: above 128 MiB
        image.fill(Qt::black);
        QVERIFY(image.save(dir.filePath(u"scan.jpg"_s), "JPEG"));
        QWidget owner;
        owner.show();
        Fake_Prompter prompter;
        QPointer<viewer::frmpicview> v = viewer::Show_Picture(chart, {}, prompter, &owner);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QVERIFY(!QApplication::activeModalWidget() && owner.isEnabled() &&
                !child(v, "p1")->isVisible());
        QWidget* img = child(v, "imgPart_Image");
        auto *hs1 = child<QScrollBar>(v, "HS1"), *vs1 = child<QScrollBar>(v, "VS1");
        // The design client area; until the first zoom the picture shows at its own size.
        t << row(v->objectName(), v->windowTitle(), v->width(), v->height()) << shown(v);
        // Steps: a click of the left or right button, a bar set, one arrow step (20 pixels), a
        // resize. The box fills the room whatever the zoom was; too narrow for the horizontal
        // bar, it keeps its width and the vertical one moves left; a negative size keeps the one
        // before.
        t.Run([&](auto&, auto& in) {
            if (in == u"left"_s || in == u"right"_s)
                QTest::mouseClick(img, in == u"left"_s ? Qt::LeftButton : Qt::RightButton);
            else if (in == u"arrow"_s)
                hs1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            else if (in[0] == u'h' || in[0] == u'v')
                (in[0] == u'h' ? hs1 : vs1)->setValue(in.mid(1).toInt());
            else
                v->resize(in.section(u'x', 0, 0).toInt(), in.section(u'x', 1).toInt());
            t << shown(v);
        });
        // Another picture opens its own viewer; one above the decoder's former limit of 128 MiB
        // shows too, and zooms from its source. Escape closes only its own viewer.
        QPointer<viewer::frmpicview> second =
            viewer::Show_Picture(dir.filePath(u"scan.jpg"_s), u"scan.jpg"_s, prompter, &owner);
        QVERIFY(second && second != v);
        QCOMPARE(child<viewer::Picture_Box>(second, "p1")->Picture().Source().size(),
                 QSize(6000, 6000));
        QTest::mouseClick(child(second, "imgPart_Image"), Qt::LeftButton);
        t << second->windowTitle() + u' ' + shown(second);
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(v.isNull());
        QVERIFY(second && second->isVisible());
        const QString pcx =
            testenv::Write_File(dir.filePath(u"scan.pcx"_s), QByteArray(512, '\x0a'));
        prompter.Answer(shell::Prompt_Answer::Ok);
        QVERIFY(!viewer::Show_Picture(pcx, {}, prompter, &owner));
        t << Transcript::Prompt_Line(prompter.Last()).section(u"shown: "_s, 0, 0);
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Viewer)
#include "test_viewer.moc"
