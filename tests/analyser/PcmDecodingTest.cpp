// Decoding the samples of any PCM recording into the analyser's one channel.
#include "analyser/PcmSamples.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

namespace {

WaveFormat Format(uint16_t tag, uint16_t channels, uint16_t bits, uint32_t rate = 22050)
{
    WaveFormat format;
    format.FormatTag = tag;
    format.Channels = channels;
    format.SamplesPerSec = rate;
    format.BlockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.AvgBytesPerSec = rate * format.BlockAlign;
    format.BitsPerSample = bits;
    return format;
}

PcmSamples Decode(const WaveFormat& format, const QByteArray& bytes)
{
    PcmSamples samples;
    std::string problem;
    EXPECT_TRUE(DecodePcm(format, bytes.constData(), bytes.size(), samples, problem)) << problem;
    return samples;
}

} // namespace

TEST(PcmDecoding, ReadsEverySampleSizeToTheSameValues)
{
    const std::vector<float> values{0.0f, 0.5f, -0.5f, 0.25f, -1.0f};
    for (int bits : {8, 16, 24, 32}) {
        const PcmSamples samples =
            Decode(Format(WaveFormatPcm, 1, bits), PcmBytes(values, bits, 1));
        ASSERT_EQ(samples.Mono.size(), values.size()) << bits;
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(samples.Mono[i], values[i], bits == 8 ? 0.01 : 1e-4) << bits << " " << i;
        EXPECT_EQ(samples.Rate, 22050);
    }
}

TEST(PcmDecoding, EightBitSamplesAreUnsignedAroundTheirMiddle)
{
    const QByteArray bytes("\x80\xff\x00\xc0", 4);
    const PcmSamples samples = Decode(Format(WaveFormatPcm, 1, 8), bytes);
    ASSERT_EQ(samples.Mono.size(), 4u);
    EXPECT_FLOAT_EQ(samples.Mono[0], 0.0f);
    EXPECT_NEAR(samples.Mono[1], 127 / 128.0, 1e-6);
    EXPECT_FLOAT_EQ(samples.Mono[2], -1.0f);
    EXPECT_FLOAT_EQ(samples.Mono[3], 0.5f);
}

TEST(PcmDecoding, AveragesChannelsOneValuePerFrame)
{
    // Left 0.5, right -0.25 in every frame of a 16-bit stereo file.
    QByteArray bytes;
    for (int i = 0; i < 3; ++i)
        bytes += PcmBytes({0.5f}, 16, 1) + PcmBytes({-0.25f}, 16, 1);
    const PcmSamples samples = Decode(Format(WaveFormatPcm, 2, 16), bytes);
    ASSERT_EQ(samples.Mono.size(), 3u);
    for (float value : samples.Mono)
        EXPECT_NEAR(value, 0.125f, 1e-4);

    // Channels that cancel (one wired the wrong way round) would average to
    // silence: the louder one is read alone.
    const std::vector<float> left{0.5f, -0.3f, 0.2f};
    QByteArray inverted;
    for (float value : left)
        inverted += PcmBytes({value}, 16, 1) + PcmBytes({-0.99f * value}, 16, 1);
    const PcmSamples alone = Decode(Format(WaveFormatPcm, 2, 16), inverted);
    ASSERT_EQ(alone.Mono.size(), left.size());
    for (size_t i = 0; i < left.size(); ++i)
        EXPECT_NEAR(alone.Mono[i], left[i], 1e-4) << i;
}

TEST(PcmDecoding, ReadsFloatSamplesAndIgnoresAPartialLastFrame)
{
    QByteArray bytes;
    for (float value : {0.5f, -2.0f}) {
        const char* raw = reinterpret_cast<const char*>(&value);
        bytes += QByteArray(raw, 4);
    }
    bytes += "\x01\x02"; // half a frame
    const PcmSamples samples = Decode(Format(WaveFormatFloat, 1, 32), bytes);
    ASSERT_EQ(samples.Mono.size(), 2u);
    EXPECT_FLOAT_EQ(samples.Mono[0], 0.5f);
    EXPECT_FLOAT_EQ(samples.Mono[1], -1.0f); // out of range is held at full scale
}

TEST(PcmDecoding, CountsTheShareOfValuesAtFullScale)
{
    const PcmSamples samples =
        Decode(Format(WaveFormatPcm, 1, 16), PcmBytes({1.0f, -1.0f, 0.1f, 0.2f}, 16, 1));
    EXPECT_DOUBLE_EQ(samples.ClippedShare, 0.5);
}

TEST(PcmDecoding, RefusesFormatsItCannotRead)
{
    PcmSamples samples;
    std::string problem;
    const QByteArray bytes(64, '\0');
    EXPECT_FALSE(DecodePcm(Format(2, 1, 4), bytes.constData(), bytes.size(), samples, problem));
    EXPECT_FALSE(
        DecodePcm(Format(WaveFormatPcm, 1, 12), bytes.constData(), bytes.size(), samples, problem));
    EXPECT_FALSE(
        DecodePcm(Format(WaveFormatPcm, 0, 16), bytes.constData(), bytes.size(), samples, problem));
    EXPECT_FALSE(DecodePcm(Format(WaveFormatFloat, 1, 16), bytes.constData(), bytes.size(), samples,
                           problem));
    EXPECT_FALSE(problem.empty());
}

TEST(PcmDecoding, UsesBlockAlignBetweenFrames)
{
    // 16-bit mono padded to 4 bytes a frame.
    WaveFormat format = Format(WaveFormatPcm, 1, 16);
    format.BlockAlign = 4;
    const QByteArray bytes = PcmBytes({0.5f}, 16, 1) + QByteArray(2, '\x7f') +
                             PcmBytes({-0.5f}, 16, 1) + QByteArray(2, '\x7f');
    const PcmSamples samples = Decode(format, bytes);
    ASSERT_EQ(samples.Mono.size(), 2u);
    EXPECT_NEAR(samples.Mono[0], 0.5f, 1e-4);
    EXPECT_NEAR(samples.Mono[1], -0.5f, 1e-4);
}
