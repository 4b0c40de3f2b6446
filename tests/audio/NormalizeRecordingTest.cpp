// Level normalisation of a fresh recording.
#include "audio/StudentRecording.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int16_t> Normalized(const std::vector<int16_t>& samples, int extraBytes = 0)
{
    QByteArray bytes(int(samples.size()) * 2 + extraBytes, '\x7f');
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian<int16_t>(samples[i], bytes.data() + 2 * i);
    WaveHeader buffer;
    buffer.Data = bytes.data();
    buffer.BufferLength = uint32_t(bytes.size());
    NormalizeRecording(buffer);
    std::vector<int16_t> result(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        result[i] = qFromLittleEndian<int16_t>(bytes.constData() + 2 * i);
    if (extraBytes > 0) {
        EXPECT_EQ(bytes.back(), '\x7f') << "an odd last byte is no sample";
    }
    return result;
}

} // namespace

TEST(NormalizeRecording, LoudestSampleBecomesEightTenthsOfFullScale)
{
    // g = 65536 / 32767.5: -13107 -> -26214, and the others scale alike.
    EXPECT_EQ(Normalized({-13107, 1, 5, 100, 0, 13000}),
              (std::vector<int16_t>{-26214, 2, 10, 200, 0, 26000}));
}

TEST(NormalizeRecording, SilenceIsLeftUnchanged)
{
    EXPECT_EQ(Normalized({0, 0, 0, 0}), (std::vector<int16_t>{0, 0, 0, 0}));
}

TEST(NormalizeRecording, FullScaleSamplesDoNotOverflow)
{
    EXPECT_EQ(Normalized({-32768, 16384}), (std::vector<int16_t>{-26214, 13107}));
    EXPECT_EQ(Normalized({32767, -1}), (std::vector<int16_t>{26214, -1}));
}

TEST(NormalizeRecording, QuietRecordingIsRaised)
{
    EXPECT_EQ(Normalized({1, -1, 0}), (std::vector<int16_t>{26214, -26214, 0}));
}

TEST(NormalizeRecording, OddLengthLeavesTheLastByteAlone)
{
    EXPECT_EQ(Normalized({-13107, 1}, 1), (std::vector<int16_t>{-26214, 2}));
}

TEST(NormalizeRecording, EmptyBufferIsHarmless)
{
    WaveHeader empty;
    NormalizeRecording(empty);
    char byte = 9;
    WaveHeader oneByte{&byte, 1, 1};
    NormalizeRecording(oneByte);
    EXPECT_EQ(byte, 9);
}
