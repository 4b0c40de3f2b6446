#include "engine/RecordingFeedback.h"

#include <QByteArray>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray Samples(std::initializer_list<std::pair<int, int16_t>> runs)
{
    QByteArray bytes;
    for (const auto& [count, value] : runs)
        for (int i = 0; i < count; ++i) {
            char two[2];
            qToLittleEndian(value, two);
            bytes.append(two, 2);
        }
    return bytes;
}

} // namespace

TEST(RecordingLevel, MeasuresOnlyTheLatestWindow)
{
    // Loud at first, quiet at the end: the meter shows the end.
    const QByteArray bytes = Samples({{1000, 20000}, {1000, 100}});
    const InputLevel late = MeasureInputLevel(bytes.constData(), bytes.size(), 1000);
    EXPECT_TRUE(late.TooQuiet);
    EXPECT_NEAR(late.PeakDb, 20 * std::log10(100 / 32768.0), 0.01);
    const InputLevel whole = MeasureInputLevel(bytes.constData(), bytes.size(), bytes.size());
    EXPECT_FALSE(whole.TooQuiet);
    EXPECT_GT(whole.Meter, 0.8f);
}

TEST(RecordingLevel, FullScaleSamplesWarnOfClipping)
{
    const QByteArray clipped = Samples({{500, 1000}, {10, 32767}, {10, -32768}});
    const InputLevel level = MeasureInputLevel(clipped.constData(), clipped.size(), 2000);
    EXPECT_TRUE(level.Clipping);
    EXPECT_TRUE(RecordingProgressText(1200, 4300, level).contains("too loud"));
    EXPECT_TRUE(RecordingProgressText(1200, 4300, level).startsWith("1.2 of 4.3 s"));
}

TEST(RecordingLevel, NothingRecordedYetIsSilence)
{
    const InputLevel level = MeasureInputLevel(nullptr, 0, 2000);
    EXPECT_EQ(level.Meter, 0.0f);
    const QByteArray one = Samples({{1, 5000}});
    EXPECT_FALSE(MeasureInputLevel(one.constData(), 1, 2000).Clipping); // half a sample
}

TEST(AnalysisReason, AnalyserReasonsBecomeLearnerWords)
{
    EXPECT_TRUE(LearnerReason("silence or too quiet").contains("too quiet"));
    EXPECT_TRUE(LearnerReason("no voiced speech").contains("No voice"));
    EXPECT_TRUE(LearnerReason("clipped").contains("too loud"));
    EXPECT_TRUE(LearnerReason("too noisy").contains("noise"));
    EXPECT_TRUE(LearnerReason("").contains("try once more"));
}

// A faulty microphone giving a steady signal shows "too loud!" while
// recording; the analyser, which removes the steady part, then hears
// silence. Asking to speak up would contradict the meter: the microphone is
// at fault. A voice, however loud, is no steady signal.
TEST(AnalysisReason, ASteadySignalIsBlamedOnTheMicrophoneNotTheLearner)
{
    for (int16_t value : {int16_t(32767), int16_t(8000), int16_t(-20000)}) {
        const QByteArray steady = Samples({{22050, value}});
        const TakeFacts facts = ExamineTake(steady.constData(), uint32_t(steady.size()), true);
        const QString reason = LearnerReason("silence or too quiet", facts.Quiet, facts.Steady);
        EXPECT_FALSE(reason.contains("Speak up")) << value;
        EXPECT_TRUE(reason.contains("microphone gave a steady signal")) << reason.toStdString();
    }
    const QByteArray voice = Samples({{2000, 0}, {100, 30000}, {100, -30000}, {2000, 0}});
    const TakeFacts facts = ExamineTake(voice.constData(), uint32_t(voice.size()), false);
    EXPECT_FALSE(facts.Steady);
    EXPECT_TRUE(LearnerReason("silence or too quiet", facts.Quiet, facts.Steady).contains("Speak up"));
}
