#include "exercise/StressLayout.h"

#include <gtest/gtest.h>

namespace {

// The screen at its design inner size, 540 x 382 pixels, with a native
// pitch box of 431 inner pixels.
StressLayout LoadedLayout()
{
    StressLayout layout;
    layout.Capture(540, 382, 431 * TwipsPerPixel);
    return layout;
}

} // namespace

TEST(StressLayoutRules, FirstLayoutPlacesOptionRowNextTopicAndButtonColumn)
{
    StressLayout layout = LoadedLayout();
    const ResizeActions actions = layout.Resize(WindowNormal, 540, 382);
    EXPECT_TRUE(actions.LaidOut);
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::StressOption).Left, 2279);
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::StressOption).Width, 2161);
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::WaveformOption).Left, 4438);
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::WaveformOption).Width, 2177);
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::NextTopic).Left, 7395);
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::ExitButton).Left, 6840);
    EXPECT_DOUBLE_EQ(layout.ButtonColumnOffset, 1260);
    // Ratios of one leave the views where they were designed.
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::StudentPitch).Top, 3720);
    EXPECT_EQ(layout.PixelRect(StressControl::NativePitch), (std::array<int, 4>{8, 112, 433, 129}));
}

TEST(StressLayoutRules, MaximisingStretchesViewsAndMovesButtonsWithTheRightEdge)
{
    StressLayout layout = LoadedLayout();
    layout.Resize(WindowNormal, 540, 382);
    const ResizeActions actions = layout.Resize(WindowMaximised, 1920, 1050);
    EXPECT_TRUE(actions.FreezeScreen);
    EXPECT_TRUE(actions.LaidOut);
    EXPECT_EQ(layout.LastWindowState, WindowMaximised);

    const double innerWidth = 1920 * TwipsPerPixel;
    const double ry = 1050.0 / 382.0;
    const FormRect pitch = layout.Rect(StressControl::NativePitch);
    EXPECT_NEAR(pitch.Height, 1935 * ry, 0.01 * 1935);
    EXPECT_NEAR(pitch.Top, 1680 * ry, 0.01 * 1680);
    EXPECT_DOUBLE_EQ(pitch.Left, 120);
    // The views stretch across the width but stay clear of the button column.
    EXPECT_GT(pitch.Left + pitch.Width, innerWidth - layout.RightStripWidth - 500);
    EXPECT_LT(pitch.Left + pitch.Width, innerWidth - layout.ButtonColumnOffset);

    const FormRect exit = layout.Rect(StressControl::ExitButton);
    EXPECT_DOUBLE_EQ(exit.Left, innerWidth - 1260);
    EXPECT_DOUBLE_EQ(exit.Width, 1110); // buttons keep their size
    const FormRect next = layout.Rect(StressControl::NextTopic);
    const FormRect previous = layout.Rect(StressControl::PrevTopic);
    EXPECT_DOUBLE_EQ(next.Left, previous.Left + previous.Width);
    EXPECT_DOUBLE_EQ(next.Top, previous.Top);
}

TEST(StressLayoutRules, RestoringReturnsTheDesignPlacesUpToRounding)
{
    StressLayout layout = LoadedLayout();
    layout.Resize(WindowNormal, 540, 382);
    layout.Resize(WindowMaximised, 1920, 1050);
    const ResizeActions actions = layout.Resize(WindowNormal, 540, 382);
    EXPECT_FALSE(actions.FreezeScreen);
    EXPECT_TRUE(actions.LaidOut);
    for (StressControl control : {StressControl::NativePitch, StressControl::StudentSignal,
                                  StressControl::PlayStudentWave, StressControl::BadRecording}) {
        const auto pixels = layout.PixelRect(control);
        StressLayout fresh = LoadedLayout();
        fresh.Resize(WindowNormal, 540, 382);
        const auto design = fresh.PixelRect(control);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(pixels[i], design[i], 1) << static_cast<int>(control) << " field " << i;
    }
}

TEST(StressLayoutRules, MinimisingChangesNothingAndBorderDragsAreUndone)
{
    StressLayout layout = LoadedLayout();
    layout.Resize(WindowNormal, 540, 382);
    const ResizeActions minimised = layout.Resize(WindowMinimised, 0, 0);
    EXPECT_FALSE(minimised.LaidOut);
    EXPECT_EQ(layout.LastWindowState, WindowNormal);

    const ResizeActions dragged = layout.Resize(WindowNormal, 700, 500);
    EXPECT_TRUE(dragged.RestoreLoadSize);
    EXPECT_TRUE(dragged.LaidOut);
    // The content keeps its load-time geometry in form units.
    EXPECT_DOUBLE_EQ(layout.Rect(StressControl::NativePitch).Width, 6495);
}

TEST(StressLayoutRules, CentredNoticesKeepTheirSizeAndFollowTheStretch)
{
    StressLayout layout = LoadedLayout();
    layout.Resize(WindowNormal, 540, 382);
    layout.Resize(WindowMaximised, 1080, 764);
    const FormRect bad = layout.Rect(StressControl::BadRecording);
    EXPECT_DOUBLE_EQ(bad.Width, 3000);
    EXPECT_DOUBLE_EQ(bad.Height, 720);
    EXPECT_NEAR(bad.Top + bad.Height / 2, (4320 + 360) * 2.0, 1);
}
