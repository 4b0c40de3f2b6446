#include "views/DrawSignal.h"

#include "views/ViewArithmetic.h"

#include <algorithm>
#include <cstdint>

namespace {

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
    int32_t peak = 0;
    for (int64_t i = std::max<int64_t>(from, 0); i <= std::min(to, table.LastIndex()); ++i)
        peak = std::max(peak, table.At(i) < 0 ? -table.At(i) : table.At(i));
    return peak;
}

} // namespace

void DrawSignal(Canvas& canvas, const PhraseData& phrase, const WaveHeader& samples,
                QColor foreground, QColor background)
{
    canvas.Clear(background);
    const int boxWidth = canvas.Width();
    const int boxHeight = canvas.Height();
    const int64_t mx = int64_t(RoundHalfEven(boxWidth * 0.1));
    const int64_t my = int64_t(RoundHalfEven(boxHeight * 0.1));
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
        for (int64_t i = first; i <= last; ++i) {
            const int32_t value = table.At(i);
            hi = std::max(hi, value);
            lo = std::min(lo, value);
        }
        const float columnX = float(mx + x);
        canvas.DrawLine(columnX, centre - scale * float(hi), columnX, centre - scale * float(lo),
                        foreground, 1);
    }
}
