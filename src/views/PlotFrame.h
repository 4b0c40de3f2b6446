#pragma once
// The frame a view plots in: its box, the views' margin of a tenth of the
// width and of the height (rounded half to even) left clear on every side,
// phrase samples across and values up. The pitch and signal views take
// their margins from here; a new view places all its marks through it, so
// that it lines up with them.
#include "views/ViewArithmetic.h"

#include <cstdint>

// The margin of a view extent pixels wide (or high).
inline int64_t ViewMargin(int extent)
{
    return int64_t(RoundHalfEven(extent * 0.1));
}

class PlotFrame
{
public:
    // Samples firstSample..lastSample run from the left margin to the right
    // one, values lowValue..highValue from the bottom margin to the top one.
    PlotFrame(int width, int height, double firstSample, double lastSample, double lowValue,
              double highValue)
        : width(width), height(height), marginX(ViewMargin(width)), marginY(ViewMargin(height)),
          firstSample(firstSample), lastSample(lastSample), lowValue(lowValue), highValue(highValue)
    {
    }

    int64_t MarginX() const { return marginX; }
    int64_t MarginY() const { return marginY; }
    double PlotWidth() const { return double(width - 2 * marginX); }
    double PlotHeight() const { return double(height - 2 * marginY); }

    // A frame of no samples or no values puts everything at its left or
    // bottom margin, and every x or y back at its first sample or lowest
    // value.
    double X(double sample) const
    {
        return double(marginX) +
               Share(sample - firstSample, lastSample - firstSample) * PlotWidth();
    }
    double SampleAt(double x) const
    {
        return firstSample + Share(x - double(marginX), PlotWidth()) * (lastSample - firstSample);
    }
    double Y(double value) const
    {
        return double(height - marginY) -
               Share(value - lowValue, highValue - lowValue) * PlotHeight();
    }
    double ValueAt(double y) const
    {
        return lowValue +
               Share(double(height - marginY) - y, PlotHeight()) * (highValue - lowValue);
    }

private:
    static double Share(double part, double whole) { return whole != 0 ? part / whole : 0.0; }

    int width;
    int height;
    int64_t marginX;
    int64_t marginY;
    double firstSample;
    double lastSample;
    double lowValue;
    double highValue;
};
