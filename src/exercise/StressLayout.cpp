#include "exercise/StressLayout.h"

#include <cmath>

namespace {

// The design rectangle of every control of the screen, in the order of the
// control list; the check below keeps the two in step.
struct ControlPlace
{
    StressControl Control;
    FormRect Design;
};

constexpr std::array<ControlPlace, StressControlCount> DesignPlaces = {{
    {StressControl::PhraseLabel, {120, 120, 6480, 855}},
    {StressControl::IntonationOption, {120, 1080, 2160, 405}},
    {StressControl::StressOption, {2280, 1080, 2160, 405}},
    {StressControl::WaveformOption, {4440, 1080, 2160, 405}},
    {StressControl::NativePitch, {120, 1680, 6495, 1935}},
    {StressControl::NativeStress, {120, 1680, 6495, 1935}},
    {StressControl::NativeSignal, {120, 1680, 6480, 1935}},
    {StressControl::StudentPitch, {120, 3720, 6480, 1935}},
    {StressControl::StudentStress, {120, 3720, 6495, 1935}},
    {StressControl::StudentSignal, {120, 3720, 6495, 1935}},
    {StressControl::ExitButton, {6840, 120, 1110, 405}},
    {StressControl::HelpButton, {6840, 600, 1110, 405}},
    {StressControl::PrevTopic, {6840, 1080, 555, 405}},
    {StressControl::NextTopic, {7380, 1080, 555, 405}},
    {StressControl::HintButton, {6840, 1800, 1110, 405}},
    {StressControl::TextNativeSpeaker, {6900, 2280, 975, 495}},
    {StressControl::PlayNativeWave, {6840, 3000, 1110, 405}},
    {StressControl::RecordStudentWave, {6840, 3840, 1110, 405}},
    {StressControl::TextStudentSpeaker, {6900, 4440, 972, 372}},
    {StressControl::PlayStudentWave, {6840, 5040, 1110, 405}},
    {StressControl::TextRecordingButton, {360, 4440, 1812, 372}},
    {StressControl::TextAnalyzingButton, {4440, 4440, 1812, 372}},
    {StressControl::BadRecording, {1800, 4320, 3000, 720}},
    {StressControl::LowMemory, {1680, 360, 3000, 720}},
    {StressControl::BMPForStop, {8400, 840, 852, 732}},
    {StressControl::BMPForRecord, {8400, 1920, 972, 732}},
}};

constexpr bool EveryControlHasItsPlace()
{
    for (int i = 0; i < StressControlCount; ++i)
        if (DesignPlaces[i].Control != static_cast<StressControl>(i)) return false;
    return true;
}
static_assert(EveryControlHasItsPlace(),
              "the layout table holds every control of the control list once, in its order");

constexpr std::array<FormRect, StressControlCount> DesignRectsOf()
{
    std::array<FormRect, StressControlCount> rects{};
    for (int i = 0; i < StressControlCount; ++i)
        rects[i] = DesignPlaces[i].Design;
    return rects;
}

const std::array<FormRect, StressControlCount> DesignRects = DesignRectsOf();

int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode ties to even
}

} // namespace

const std::vector<StressControl> StressLayout::ScaledControls = {
    StressControl::NativePitch,  StressControl::NativeStress,    StressControl::NativeSignal,
    StressControl::StudentPitch, StressControl::StudentStress,   StressControl::StudentSignal,
    StressControl::PhraseLabel,  StressControl::IntonationOption};

const std::vector<StressControl> StressLayout::RightColumnControls = {
    StressControl::PlayNativeWave,     StressControl::PlayStudentWave,
    StressControl::RecordStudentWave,  StressControl::ExitButton,
    StressControl::HelpButton,         StressControl::TextNativeSpeaker,
    StressControl::TextStudentSpeaker, StressControl::PrevTopic,
    StressControl::HintButton};

const std::vector<StressControl> StressLayout::StretchedControls = {
    StressControl::TextRecordingButton, StressControl::TextAnalyzingButton};

const std::vector<StressControl> StressLayout::CentredControls = {StressControl::BadRecording,
                                                                  StressControl::LowMemory};

StressLayout::StressLayout() : rects(DesignRects) {}

FormRect StressLayout::DesignRect(StressControl control)
{
    return DesignRects[static_cast<size_t>(control)];
}

void StressLayout::Capture(int innerWidthPixels, int innerHeightPixels,
                           double nativePitchInnerWidth)
{
    unitsPerPixelX = TwipsPerPixel;
    unitsPerPixelY = TwipsPerPixel;
    LoadInnerWidth = innerWidthPixels * unitsPerPixelX;
    LoadInnerHeight = innerHeightPixels * unitsPerPixelY;
    LastInnerWidth = LoadInnerWidth;
    LastInnerHeight = LoadInnerHeight;
    RightStripWidth = LoadInnerWidth - nativePitchInnerWidth;
    ButtonColumnOffset = LoadInnerWidth - Rect(StressControl::ExitButton).Left;
    LastWindowState = WindowNormal;
}

ResizeActions StressLayout::Resize(int16_t windowState, int innerWidthPixels, int innerHeightPixels)
{
    ResizeActions actions;
    if (LastWindowState == WindowNormal && windowState == WindowMaximised)
        actions.FreezeScreen = true;
    if (windowState == WindowMinimised)
        return actions; // minimising changes nothing, not even the remembered state
    if (innerWidthPixels <= 0 || innerHeightPixels <= 0) return actions;

    if (windowState == WindowMaximised) {
        // Maximised, the form measures its inner area in twips again.
        unitsPerPixelX = TwipsPerPixel;
        unitsPerPixelY = TwipsPerPixel;
    }
    if (LastWindowState == WindowNormal && windowState == WindowNormal) {
        // A border drag in the normal state is undone: the inner area
        // measures its load-time size and the window returns to it.
        unitsPerPixelX = LoadInnerWidth / innerWidthPixels;
        unitsPerPixelY = LoadInnerHeight / innerHeightPixels;
        actions.RestoreLoadSize = true;
    }
    double innerWidth = innerWidthPixels * unitsPerPixelX;
    double innerHeight = innerHeightPixels * unitsPerPixelY;
    if (windowState == WindowNormal &&
        (innerHeight < LoadInnerHeight || innerWidth < LoadInnerWidth)) {
        if (innerHeight < LoadInnerHeight) {
            unitsPerPixelY = LoadInnerHeight / innerHeightPixels;
            innerHeight = LoadInnerHeight;
        }
        if (innerWidth >= LoadInnerWidth)
            return actions; // only the scale changed: no layout, no redraw
        unitsPerPixelX = LoadInnerWidth / innerWidthPixels;
        innerWidth = LoadInnerWidth;
    }

    LayOut(innerWidth, innerHeight);
    LastWindowState = windowState;
    actions.LaidOut = true;
    return actions;
}

void StressLayout::LayOut(double innerWidth, double innerHeight)
{
    // Single precision, as the layout has always been computed.
    const float ry = static_cast<float>(innerHeight / LastInnerHeight);
    const float rx =
        static_cast<float>((innerWidth - RightStripWidth) / (LastInnerWidth - RightStripWidth));

    for (StressControl control : ScaledControls) {
        FormRect& rect = RectOf(control);
        rect.Height *= ry;
        rect.Width *= rx;
        rect.Top *= ry;
    }

    const FormRect intonation = Rect(StressControl::IntonationOption);
    FormRect& stress = RectOf(StressControl::StressOption);
    stress.Height = intonation.Height;
    stress.Top = intonation.Top;
    stress.Left = intonation.Left + intonation.Width - 1;
    stress.Width = intonation.Width + 1;
    FormRect& waveform = RectOf(StressControl::WaveformOption);
    waveform.Height = intonation.Height;
    waveform.Top = intonation.Top;
    waveform.Left = stress.Left + intonation.Width - 1;
    const FormRect nativePitch = Rect(StressControl::NativePitch);
    waveform.Width = nativePitch.Left + nativePitch.Width - waveform.Left;

    for (StressControl control : RightColumnControls) {
        FormRect& rect = RectOf(control);
        rect.Top *= ry;
        rect.Left = innerWidth - ButtonColumnOffset;
    }

    const FormRect previous = Rect(StressControl::PrevTopic);
    FormRect& next = RectOf(StressControl::NextTopic);
    next.Height = previous.Height;
    next.Top = previous.Top;
    next.Width = previous.Width;
    next.Left = previous.Left + previous.Width;

    for (StressControl control : StretchedControls) {
        FormRect& rect = RectOf(control);
        rect.Height *= ry;
        rect.Width *= rx;
        rect.Top *= ry;
        rect.Left *= rx;
    }
    for (StressControl control : CentredControls) {
        FormRect& rect = RectOf(control);
        rect.Top = rect.Top * ry + rect.Height * (ry - 1) / 2;
        rect.Left = rect.Left * rx + rect.Width * (rx - 1) / 2;
    }

    LastInnerHeight = innerHeight;
    LastInnerWidth = innerWidth;
}

std::array<int, 4> StressLayout::PixelRect(StressControl control) const
{
    const FormRect& rect = Rect(control);
    const int left = RoundHalfEven(rect.Left / unitsPerPixelX);
    const int top = RoundHalfEven(rect.Top / unitsPerPixelY);
    const int right = RoundHalfEven((rect.Left + rect.Width) / unitsPerPixelX);
    const int bottom = RoundHalfEven((rect.Top + rect.Height) / unitsPerPixelY);
    return {left, top, right - left, bottom - top};
}
