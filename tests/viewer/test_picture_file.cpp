#include "PictureFile.h"
#include "StretchedPicture.h"
#include "TestEnv.h"

#include <QFile>
#include <QPainter>
#include <QtTest>

namespace {

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

// Black and white squares of the given side.
QImage checkerboard(int side, int squares) {
    QImage image(side * squares, side * squares, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, ((x / side + y / side) % 2) ? 0xffffffff : 0xff000000);
    return image;
}

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).toRgb();
}

} // namespace

class Test_Picture_File : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir_.filePath(name));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write the test file");
        f.write(bytes);
        return f.fileName();
    }

private Q_SLOTS:
    void picture_types_data() {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("picture");
        for (const char* e : {".BMP", ".JPG", ".JPEG", ".TIF", ".TIFF", ".GIF", ".PCX", ".DCX",
                              ".WIFF", ".tif", ".Jpeg", ".gIf", "bmp", "TIFF"})
            QTest::newRow(e) << QString::fromLatin1(e) << true;
        for (const char* e :
             {".png", ".doc", ".tifx", ".ti", ".", "", " ", ".jpg ", "..jpg", ".b.mp", "x.jpg"})
            QTest::newRow(e[0] ? e : "empty") << QString::fromLatin1(e) << false;
    }
    void picture_types() {
        QFETCH(QString, extension);
        QFETCH(bool, picture);
        QCOMPARE(viewer::Is_Picture_Type(extension), picture);
    }

    void picture_files_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("picture");
        QTest::newRow("jpg") << QStringLiteral("holiday.JPG") << true;
        QTest::newRow("two dots") << QStringLiteral("scan.2024.tiff") << true;
        QTest::newRow("picture word first") << QStringLiteral("gif.doc") << false;
        QTest::newRow("no dot") << QStringLiteral("bmp") << false;
        QTest::newRow("png") << QStringLiteral("a.png") << false;
    }
    void picture_files() {
        QFETCH(QString, name);
        QFETCH(bool, picture);
        QCOMPARE(viewer::Is_Picture_File(name), picture);
    }

    void loads_by_content() {
        // A picture stored under another type's extension still shows.
        const QImage source = quadrants(30, 20);
        const QString path = dir_.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(source.save(path, "PNG"));
        const viewer::Loaded_Picture loaded = viewer::Load_Picture(path);
        QVERIFY(loaded.error.isEmpty());
        QCOMPARE(loaded.image.size(), QSize(30, 20));
        QCOMPARE(at(loaded.image, 29, 19), QColor(Qt::yellow));
    }

    void undecodable_files_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("unknown format") << QStringLiteral("scan.pcx") << QByteArray(300, '\x0a');
        QTest::newRow("cut short")
            << QStringLiteral("cut.png") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
        QTest::newRow("empty") << QStringLiteral("empty.bmp") << QByteArray();
    }
    void undecodable_files() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = write(name, bytes);
        const viewer::Loaded_Picture loaded = viewer::Load_Picture(path);
        QVERIFY(loaded.image.isNull());
        QVERIFY(!loaded.error.isEmpty());
        QCOMPARE(viewer::Picture_Failure_Text(path, loaded.error),
                 QStringLiteral("The picture of '") + name + QStringLiteral("' cannot be shown: ") +
                     loaded.error + QLatin1Char('.'));
    }

    void missing_file() {
        const viewer::Loaded_Picture loaded =
            viewer::Load_Picture(dir_.filePath(QStringLiteral("gone.bmp")));
        QVERIFY(loaded.image.isNull());
        QVERIFY(!loaded.error.isEmpty());
    }

    void drawn_at_its_own_size_until_stretched() {
        const QImage source = quadrants(40, 30);
        const viewer::Stretched_Picture picture(source);
        QCOMPARE(picture.Size(), QSize(40, 30));
        QCOMPARE(picture.Render().convertToFormat(QImage::Format_RGB32), source);
    }

    // The whole source fills the new size, whatever its proportions, both smaller (kept) and
    // larger (stretched while painting) than the source.
    void stretched_over_the_whole_size_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("smaller") << QSize(20, 16);
        QTest::newRow("narrower and higher") << QSize(10, 90);
        QTest::newRow("larger") << QSize(130, 50);
    }
    void stretched_over_the_whole_size() {
        QFETCH(QSize, size);
        viewer::Stretched_Picture picture(quadrants(40, 30));
        picture.Stretch_To(size);
        QCOMPARE(picture.Size(), size);
        const QImage drawn = picture.Render();
        QCOMPARE(drawn.size(), size);
        const int w = size.width(), h = size.height();
        QCOMPARE(at(drawn, 1, 1), QColor(Qt::red));
        QCOMPARE(at(drawn, w - 2, 1), QColor(Qt::green));
        QCOMPARE(at(drawn, 1, h - 2), QColor(Qt::blue));
        QCOMPARE(at(drawn, w - 2, h - 2), QColor(Qt::yellow));
    }

    // Shrunk to a grey blur and enlarged again, the picture is drawn from its source: sharp
    // squares, exactly as if it had been enlarged at once.
    void every_size_drawn_from_the_source_data() {
        QTest::addColumn<QSize>("final_size");
        QTest::newRow("back below the source") << QSize(24, 24);
        QTest::newRow("beyond the source") << QSize(96, 96);
    }
    void every_size_drawn_from_the_source() {
        QFETCH(QSize, final_size);
        const QImage source = checkerboard(4, 8); // 32 x 32
        viewer::Stretched_Picture picture(source);
        picture.Stretch_To({4, 4});
        const QColor blur = at(picture.Render(), 1, 1);
        QVERIFY(blur.red() > 40 && blur.red() < 215);
        picture.Stretch_To({12, 12});
        picture.Stretch_To(final_size);

        viewer::Stretched_Picture at_once(source);
        at_once.Stretch_To(final_size);
        QCOMPARE(picture.Render(), at_once.Render());
        // The middle of the first square is black, of the second white.
        const double scale = final_size.width() / 32.0;
        const QImage drawn = picture.Render();
        QCOMPARE(at(drawn, int(2 * scale), int(2 * scale)), QColor(Qt::black));
        QCOMPARE(at(drawn, int(6 * scale), int(2 * scale)), QColor(Qt::white));
    }

    void nothing_to_draw_at_no_size() {
        viewer::Stretched_Picture picture(quadrants(40, 30));
        picture.Stretch_To({0, 12});
        QVERIFY(picture.Render().isNull());
        picture.Stretch_To({-5, 12});
        QCOMPARE(picture.Size(), QSize(0, 12));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Picture_File)
#include "test_picture_file.moc"
