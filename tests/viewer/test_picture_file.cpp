#include "PictureFile.h"
#include "StretchedPicture.h"
#include "TestEnv.h"

#include <QBuffer>
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

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).toRgb();
}

void rows(const char* names, bool as_type, bool as_file) {
    for (const QString& n : testenv::List(names))
        QTest::newRow(qPrintable(QLatin1Char('"') + n + QLatin1Char('"')))
            << n << as_type << as_file;
}

} // namespace

class Test_Picture_File : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private Q_SLOTS:
    // Each text as an extension (with or without its dot) and as a file name.
    void picture_names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("as_type");
        QTest::addColumn<bool>("as_file");
        rows(".BMP,.JPG,.JPEG,.TIF,.TIFF,.GIF,.PCX,.DCX,.WIFF,.tif,.Jpeg,.gIf", true, true);
        rows("bmp,TIFF", true, false);
        rows("..jpg,x.jpg,holiday.JPG,scan.2024.tiff", false, true);
        rows(".png,.doc,.tifx,.ti,.,, ,.jpg ,.b.mp,gif.doc,a.png", false, false);
    }
    void picture_names() {
        QFETCH(QString, name);
        QFETCH(bool, as_type);
        QFETCH(bool, as_file);
        QCOMPARE(viewer::Is_Picture_Type(name), as_type);
        QCOMPARE(viewer::Is_Picture_File(name), as_file);
    }

    // Each refusal names the file and why: the decoder's words, or, before anything is decoded,
    // the picture's size against the memory free (the photo is a BMP header alone).
    void undecodable_files_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no such file
        QTest::addColumn<qint64>("available"); // -1: not known
        QTest::addColumn<QString>("shown");    // empty: the decoder's words, whatever they are
        QTest::newRow("gone.bmp") << QByteArray() << -1LL << QString();
        QByteArray photo;
        QBuffer buffer(&photo);
        QVERIFY(buffer.open(QIODevice::WriteOnly) &&
                QImage(1, 1, QImage::Format_RGB32).save(&buffer, "BMP"));
        qToLittleEndian<qint32>(8000, photo.data() + 18);
        qToLittleEndian<qint32>(6000, photo.data() + 22);
        QTest::newRow("photo.jpg")
            << photo << 300LL * 1024 * 1024
            << QStringLiteral("The picture of 'photo.jpg' cannot be shown: it is 8000 x 6000 "
                              "pixels, and showing it needs 366.2 MB of memory; this computer "
                              "has 300.0 MB free.");
    }
    void undecodable_files() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, available);
        QFETCH(QString, shown);
        QFile f(dir_.filePath(QString::fromLatin1(QTest::currentDataTag())));
        QVERIFY(bytes.isNull() || (f.open(QIODevice::WriteOnly) && f.write(bytes) >= 0));
        f.close();
        QLocale::setDefault(QLocale::c());
        const viewer::Loaded_Picture loaded = viewer::Load_Picture(f.fileName(), available);
        QVERIFY(loaded.image.isNull() && !loaded.error.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(viewer::Picture_Failure_Text(f.fileName(), loaded.error), shown);
    }

    // The whole source fills the new size, whatever its proportions, both smaller (kept) and
    // larger (stretched while painting) than the source; at no width, nothing is drawn.
    void stretched_over_the_whole_size_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("no width") << QSize(-5, 12);
        QTest::newRow("smaller") << QSize(20, 16);
        QTest::newRow("narrower and higher") << QSize(10, 90);
        QTest::newRow("larger") << QSize(130, 50);
    }
    void stretched_over_the_whole_size() {
        QFETCH(QSize, size);
        const QImage source = quadrants(40, 30);
        viewer::Stretched_Picture picture(source);
        picture.Stretch_To(size);
        QCOMPARE(picture.Size(), size.expandedTo({0, 0}));
        const QImage drawn = picture.Render().convertToFormat(QImage::Format_RGB32);
        QVERIFY(drawn.isNull() == size.isEmpty());
        if (size.isEmpty())
            return;
        const int w = size.width(), h = size.height();
        QCOMPARE(drawn.size(), size);
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
        QImage source(32, 32, QImage::Format_RGB32); // black and white squares of 4 pixels
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                source.setPixel(x, y, ((x / 4 + y / 4) % 2) ? 0xffffffff : 0xff000000);
        viewer::Stretched_Picture picture(source), at_once(source);
        picture.Stretch_To({4, 4});
        const QColor blur = at(picture.Render(), 1, 1);
        QVERIFY(blur.red() > 40 && blur.red() < 215);
        picture.Stretch_To({12, 12});
        picture.Stretch_To(final_size);
        at_once.Stretch_To(final_size);
        const QImage drawn = picture.Render();
        QCOMPARE(drawn, at_once.Render());
        // The middle of the first square is black, of the second white.
        const double scale = final_size.width() / 32.0;
        QCOMPARE(at(drawn, int(2 * scale), int(2 * scale)), QColor(Qt::black));
        QCOMPARE(at(drawn, int(6 * scale), int(2 * scale)), QColor(Qt::white));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Picture_File)
#include "test_picture_file.moc"
