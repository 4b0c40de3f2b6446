#include "widgets/PictureBox.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor Cyan(207, 255, 255);

} // namespace

TEST(PictureBox, DrawingWhileHiddenStaysAndShowsAtTheNextPaint)
{
    PictureBox box;
    box.SetBackColor(Cyan);
    box.setGeometry(0, 0, 104, 54);
    // The canvas has the inner size at once, before any resize event.
    Canvas& canvas = box.PictureCanvas();
    ASSERT_EQ(canvas.Width(), 100);
    ASSERT_EQ(canvas.Height(), 50);
    canvas.DrawLine(10, 5, 10, 40, Qt::black, 1);

    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.hide();
    box.show();
    const QImage shown = box.grab().toImage();
    // The frame is two pixels wide: inner (10, 20) is widget (12, 22).
    EXPECT_EQ(shown.pixel(12, 22) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(shown.pixel(13, 22) & 0xFFFFFF, Cyan.rgb() & 0xFFFFFF);
    EXPECT_EQ(box.Picture().pixel(10, 20) & 0xFFFFFF, 0x000000u);
}

TEST(PictureBox, NewInnerSizeStartsAClearedPictureOfThatSize)
{
    PictureBox box;
    box.setGeometry(0, 0, 104, 54);
    box.PictureCanvas().DrawLine(0, 0, 99, 49, Qt::black, 1);
    box.setGeometry(0, 0, 304, 154);
    const QImage picture = box.Picture();
    EXPECT_EQ(picture.size(), QSize(300, 150));
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, box.BackColor().rgb() & 0xFFFFFF);
}

TEST(PictureBox, MouseDownReportsButtonAndInnerPixel)
{
    PictureBox box;
    box.setGeometry(0, 0, 104, 54);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QSignalSpy spy(&box, &PictureBox::MouseDown);
    QTest::mousePress(&box, Qt::RightButton, Qt::NoModifier, QPoint(32, 12));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(spy[0][1].toDouble(), 30.0);
    EXPECT_EQ(spy[0][2].toDouble(), 10.0);
}
