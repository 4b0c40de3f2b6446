#include "views/ImageCanvas.h"

#include <gtest/gtest.h>

TEST(HighDensityPicture, ViewsDrawInLogicalPixelsOntoTwiceTheDevicePixels)
{
    ImageCanvas canvas(0, 0, Qt::white);
    canvas.Resize(100, 50, Qt::white, 2.0);
    EXPECT_EQ(canvas.Width(), 100);
    EXPECT_EQ(canvas.Height(), 50);
    canvas.DrawRectangle(10, 10, 20, 10, QColor(Qt::black), QColor(Qt::black), 1);
    const QImage& image = canvas.Image();
    ASSERT_EQ(image.width(), 200);
    ASSERT_EQ(image.height(), 100);
    EXPECT_EQ(image.pixel(40, 30) & 0xFFFFFF, 0x000000u); // logical (20, 15), inside
    EXPECT_EQ(image.pixel(90, 30) & 0xFFFFFF, 0xFFFFFFu); // logical (45, 15), outside
}
