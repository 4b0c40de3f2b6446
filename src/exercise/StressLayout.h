#pragma once
// The exercise screen's geometry, in form units (twips: 15 to a pixel at
// design). In the normal window state the screen keeps its design layout;
// maximised, the views and their labels stretch with the window while the
// buttons keep their size and follow the right-hand edge. Scaling is always
// relative to the previous layout, so maximising and restoring return the
// controls to their places up to rounding.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The controls the layout places, in the order of the layout table
// (StressLayout.cpp checks the table against it when it compiles).
enum class StressControl {
    PhraseLabel,
    IntonationOption,
    StressOption,
    WaveformOption,
    NativePitch,
    NativeStress,
    NativeSignal,
    StudentPitch,
    StudentStress,
    StudentSignal,
    ExitButton,
    HelpButton,
    PrevTopic,
    NextTopic,
    HintButton,
    TextNativeSpeaker,
    PlayNativeWave,
    RecordStudentWave,
    TextStudentSpeaker,
    PlayStudentWave,
    TextRecordingButton,
    TextAnalyzingButton,
    BadRecording,
    LowMemory,
    BMPForStop,
    BMPForRecord,
    Count
};

inline constexpr int StressControlCount = static_cast<int>(StressControl::Count);
inline constexpr double TwipsPerPixel = 15.0;
inline constexpr double DesignInnerWidth = 8100;
inline constexpr double DesignInnerHeight = 5736;

struct FormRect
{
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

// Window states as the screens hand them on: 0 normal, 1 minimised, 2 maximised.
inline constexpr int16_t WindowNormal = 0;
inline constexpr int16_t WindowMinimised = 1;
inline constexpr int16_t WindowMaximised = 2;

// What the screen must do after a resize.
struct ResizeActions
{
    bool FreezeScreen = false;    // maximising from normal: hide the work until the end
    bool RestoreLoadSize = false; // a border drag in the normal state is undone
    bool LaidOut = false;         // controls moved: apply the rects and redraw the views
};

class StressLayout
{
public:
    StressLayout();

    // The design rectangle of each control.
    static FormRect DesignRect(StressControl control);

    // Captured when the screen loads. innerWidthPixels/innerHeightPixels are
    // the inner area; outer sizes are kept by the screen itself.
    // nativePitchInnerWidth is the inner width of the native pitch box in
    // form units (its right end when its scale starts at 0).
    void Capture(int innerWidthPixels, int innerHeightPixels, double nativePitchInnerWidth);

    // The resize handler's rules, for a window now in windowState with an
    // inner area of the given pixels.
    ResizeActions Resize(int16_t windowState, int innerWidthPixels, int innerHeightPixels);

    const FormRect& Rect(StressControl control) const
    {
        return rects[static_cast<size_t>(control)];
    }
    // The control's rectangle in pixels of the inner area (rounded, halves to even).
    std::array<int, 4> PixelRect(StressControl control) const;

    double LoadInnerWidth = 0;
    double LoadInnerHeight = 0;
    double LastInnerWidth = 0;
    double LastInnerHeight = 0;
    double RightStripWidth = 0;
    double ButtonColumnOffset = 0;
    int16_t LastWindowState = WindowNormal;

    static const std::vector<StressControl> ScaledControls;
    static const std::vector<StressControl> RightColumnControls;
    static const std::vector<StressControl> StretchedControls;
    static const std::vector<StressControl> CentredControls;

private:
    FormRect& RectOf(StressControl control) { return rects[static_cast<size_t>(control)]; }
    void LayOut(double innerWidth, double innerHeight);

    std::array<FormRect, StressControlCount> rects{};
    // Form units per pixel; the normal state sets them so that the inner
    // area measures the load-time size.
    double unitsPerPixelX = TwipsPerPixel;
    double unitsPerPixelY = TwipsPerPixel;
};
