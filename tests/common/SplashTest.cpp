#include "Splash.h"
#include "Jpeg.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QImage splashPicture() {
    return kx::loadJpeg(QStringLiteral(KX_RESOURCES_DIR "/splash.jpg"));
}

int brightPixels(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) > 180) ++n;
    return n;
}

TEST(SplashWindow, SizedToItsPictureWithTheProgramLinesDrawnOverIt) {
    const QImage picture = splashPicture();
    ASSERT_EQ(picture.size(), QSize(400, 219));
    kx::SplashWindow splash(picture, kx::SplashWindow::frontDeskLines());

    EXPECT_EQ(splash.size(), QSize(400, 219));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash.lines().mid(0, 3), (QStringList{"Kestrix餐饮娱乐管理系统", "[前台]", "Ver 9.0-12"}));

    // The text area of the picture is dark; the drawn lines make it bright in places.
    const QRect textArea(150, 40, 240, 120);
    EXPECT_EQ(brightPixels(picture.convertToFormat(QImage::Format_RGB32), textArea), 0);
    const QImage shown = splash.grab().toImage();
    if (!qEnvironmentVariableIsEmpty("KESTRIX_SHOTS")) shown.save(qEnvironmentVariable("KESTRIX_SHOTS") + "/splash-frontdesk.png");
    EXPECT_GT(brightPixels(shown, textArea), 200);

    // A start-up message appears at the foot.
    const QRect foot(0, 195, 400, 24);
    const int before = brightPixels(shown, foot);
    splash.setMessage("正在打开数据库…");
    EXPECT_GT(brightPixels(splash.grab().toImage(), foot), before);
}

TEST(SplashWindow, BackOfficeSplashIsNotKeptOnTop) {
    kx::SplashWindow splash(QImage(), kx::SplashWindow::backOfficeLines(), false);
    EXPECT_EQ(splash.size(), QSize(400, 219));
    EXPECT_FALSE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash.lines().mid(1, 2), (QStringList{"[后台]", "Ver9.0 Build20040220"}));
}

} // namespace
