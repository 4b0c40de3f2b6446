#include "views/DrawSignal.h"

#include "views/PlotFrame.h"
#include "views/ViewArithmetic.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Samples are stored little-endian and read here in place.
static_assert(std::endian::native == std::endian::little);

// The view reads the buffer as a table of 16-bit samples with one entry
// per byte of the buffer: the bytes fill the entries from the first on and
// the rest read as 0. Indices outside that table are never read.
class SampleTable
{
public:
    explicit SampleTable(const WaveHeader& samples)
        : bytes(reinterpret_cast<const uint8_t*>(samples.Data)),
          byteCount(samples.Data ? int64_t(samples.BufferLength) : 0)
    {
    }

    int64_t LastIndex() const { return byteCount; }

    // Largest and smallest entry of first..last (both in the table).
    void Extent(int64_t first, int64_t last, int32_t& hi, int32_t& lo) const
    {
        // Whole samples, eight at a time in independent lanes so that the
        // compiler can keep them in vector registers.
        const int64_t wholeEnd = std::min(last + 1, byteCount / 2);
        std::array<int16_t, 8> highs;
        std::array<int16_t, 8> lows;
        highs.fill(int16_t(hi));
        lows.fill(int16_t(lo));
        int64_t i = first;
        for (; i + 8 <= wholeEnd; i += 8) {
            std::array<int16_t, 8> values;
            std::memcpy(values.data(), bytes + 2 * i, sizeof values);
            for (int lane = 0; lane < 8; ++lane) {
                highs[lane] = std::max(highs[lane], values[lane]);
                lows[lane] = std::min(lows[lane], values[lane]);
            }
        }
        for (; i < wholeEnd; ++i) {
            int16_t value;
            std::memcpy(&value, bytes + 2 * i, sizeof value);
            highs[0] = std::max(highs[0], value);
            lows[0] = std::min(lows[0], value);
        }
        const int16_t high = *std::max_element(highs.begin(), highs.end());
        const int16_t low = *std::min_element(lows.begin(), lows.end());
        hi = high;
        lo = low;
        for (int64_t j = std::max(first, wholeEnd); j <= last; ++j) {
            hi = std::max(hi, At(j));
            lo = std::min(lo, At(j));
        }
    }

    int32_t At(int64_t i) const
    {
        const int64_t low = 2 * i;
        if (low + 1 < byteCount) return int16_t(uint16_t(bytes[low] | (bytes[low + 1] << 8)));
        if (low < byteCount) return bytes[low]; // an odd last byte fills only the low half
        return 0;
    }

private:
    const uint8_t* bytes;
    int64_t byteCount;
};

int32_t Peak(const SampleTable& table, int64_t from, int64_t to)
{
    from = std::max<int64_t>(from, 0);
    to = std::min(to, table.LastIndex());
    if (from > to) return 0;
    int32_t hi = -32768;
    int32_t lo = 32767;
    table.Extent(from, to, hi, lo);
    return std::max({0, hi, -lo});
}

} // namespace

void DrawSignal(Canvas& canvas, const PhraseData& phrase, const WaveHeader& samples,
                QColor foreground, QColor background)
{
    canvas.Clear(background);
    const int boxWidth = canvas.Width();
    const int boxHeight = canvas.Height();
    const int64_t mx = ViewMargin(boxWidth);
    const int64_t my = ViewMargin(boxHeight);
    const int64_t plotWidth = boxWidth - 2 * mx;

    const SampleTable table(samples);
    if (table.LastIndex() <= 0 || plotWidth <= 0) return;
    const int64_t span = int64_t(phrase.PhraseEnd) - phrase.PhraseStart;
    const int64_t step = std::max<int64_t>(span / plotWidth, 1);

    // Silence has no peak to scale to: a zero scale draws it on the centre.
    const int32_t peak = Peak(table, phrase.PhraseStart, phrase.PhraseEnd);
    const float scale = peak > 0 ? float(boxHeight - 2 * my) / float(2 * peak) : 0.0f;
    const float centre = float(boxHeight) / 2.0f;

    for (int64_t x = 0; x < plotWidth; ++x) {
        const int64_t first = phrase.PhraseStart + x * step;
        const int64_t last = first + step - 1;
        if (first < 0 || last > table.LastIndex())
            continue; // the column's slice is not in the buffer: left blank
        int32_t hi = -32768;
        int32_t lo = 32767;
        table.Extent(first, last, hi, lo);
        const float columnX = float(mx + x);
        canvas.DrawLine(columnX, centre - scale * float(hi), columnX, centre - scale * float(lo),
                        foreground, 1);
    }
}
