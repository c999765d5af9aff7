#include "Jpeg.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray encode(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(95);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

// Four flat quarters: red, green, blue, white.
QImage quarters() {
    QImage image(64, 48, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 32, 24, Qt::red);
    p.fillRect(32, 0, 32, 24, Qt::green);
    p.fillRect(0, 24, 32, 24, Qt::blue);
    p.fillRect(32, 24, 32, 24, Qt::white);
    return image;
}

void expectNear(QRgb got, QColor want, const char* where) {
    const int tol = 12;
    EXPECT_NEAR(qRed(got), want.red(), tol) << where;
    EXPECT_NEAR(qGreen(got), want.green(), tol) << where;
    EXPECT_NEAR(qBlue(got), want.blue(), tol) << where;
}

QString resource(const char* name) {
    return QStringLiteral(KX_RESOURCES_DIR "/") + QLatin1String(name);
}

TEST(Jpeg, DecodesColourPicture) {
    const QImage image = kx::decodeJpeg(encode(quarters()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    expectNear(image.pixel(8, 8), Qt::red, "top left");
    expectNear(image.pixel(56, 8), Qt::green, "top right");
    expectNear(image.pixel(8, 40), Qt::blue, "bottom left");
    expectNear(image.pixel(56, 40), Qt::white, "bottom right");
}

TEST(Jpeg, DecodesGrayscalePicture) {
    QImage gray(40, 20, QImage::Format_Grayscale8);
    gray.fill(0);
    QPainter(&gray).fillRect(20, 0, 20, 20, QColor(200, 200, 200));
    const QImage image = kx::decodeJpeg(encode(gray));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_Grayscale8);
    EXPECT_NEAR(qGray(image.pixel(5, 10)), 0, 8);
    EXPECT_NEAR(qGray(image.pixel(35, 10)), 200, 8);
}

TEST(Jpeg, UnreadableDataGivesNullImage) {
    const QByteArray good = encode(quarters());
    const QList<QPair<const char*, QByteArray>> cases{
        {"empty", QByteArray()},
        {"not a jpeg", QByteArray("GIF89a this is no picture at all")},
        {"start marker only", QByteArray::fromHex("ffd8")},
        {"header cut short", good.left(40)},
        {"garbage after the start marker", QByteArray::fromHex("ffd8") + QByteArray(500, '\x5a')},
    };
    for (const auto& [name, data] : cases)
        EXPECT_TRUE(kx::decodeJpeg(data).isNull()) << name;
}

TEST(Jpeg, PictureWithLostTailStillShows) {
    const QByteArray good = encode(quarters().scaled(320, 240));
    const qsizetype scan = good.indexOf("\xff\xda"); // start of the picture data
    ASSERT_GT(scan, 0);
    const QImage image = kx::decodeJpeg(good.left(scan + (good.size() - scan) / 2));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 240));
    expectNear(image.pixel(10, 10), Qt::red, "the part that arrived");
}

TEST(Jpeg, LoadsFilesAndTheProgramPictures) {
    QTemporaryDir dir;
    const QString path = dir.filePath("q.jpg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encode(quarters()));
    file.close();
    EXPECT_EQ(kx::loadJpeg(path).size(), QSize(64, 48));
    EXPECT_TRUE(kx::loadJpeg(dir.filePath("missing.jpg")).isNull());

    EXPECT_EQ(kx::loadJpeg(resource("splash.jpg")).size(), QSize(400, 219));
    EXPECT_EQ(kx::loadJpeg(resource("login.jpg")).size(), QSize(400, 300));
}

} // namespace
