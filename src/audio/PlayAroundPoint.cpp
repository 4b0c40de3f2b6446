#include "audio/PlayAroundPoint.h"

#include "audio/MciSubs.h"

#include <algorithm>
#include <cmath>

namespace {

// A number as the command texts write it: one leading blank when it is not
// negative, the sign in its place otherwise.
QString SignedText(int64_t value)
{
    return value >= 0 ? QStringLiteral(" %1").arg(value) : QString::number(value);
}

// The sample under the click. The fraction is worked in single precision
// and kept below 1, so the sample stays below PhraseEnd.
int64_t ClickedSample(float boxScaleWidth, const PhraseData& phrase, float x)
{
    float fraction = (x - 0.1f * boxScaleWidth) / (0.8f * boxScaleWidth);
    // A box without width (or a click position that is not a number) gives
    // no fraction at all; take the phrase start rather than a wild sample.
    if (!(boxScaleWidth > 0.0f) || !std::isfinite(fraction) || fraction < 0.0f) fraction = 0.0f;
    if (fraction >= 1.0f) fraction = 0.9999f;
    const int64_t span = int64_t(phrase.PhraseEnd) - phrase.PhraseStart;
    return static_cast<int64_t>(std::floor(double(fraction) * double(span))) + phrase.PhraseStart;
}

} // namespace

QStringList PlayAroundPointCommands(float BoxScaleWidth, const PhraseData& Phrase, int Button,
                                    float X)
{
    const int64_t clicked = ClickedSample(BoxScaleWidth, Phrase, X);
    int64_t from = Phrase.PhraseStart;
    int64_t to = clicked;
    if ((Button & LeftMouseButton) == 0) {
        from = std::max<int64_t>(clicked - AroundPointHalfWidth, Phrase.PhraseStart);
        to = std::min<int64_t>(clicked + AroundPointHalfWidth, Phrase.PhraseEnd);
    }
    return {
        QStringLiteral("close wavefile"),
        QStringLiteral("open ") + Phrase.WaveFile.trimmed() +
            QStringLiteral(" type waveaudio alias wavefile"),
        QStringLiteral("set wavefile time format samples"),
        QStringLiteral("play wavefile from ") + SignedText(from) + QStringLiteral(" to ") +
            SignedText(to),
    };
}

int16_t PlayAroundPoint(float BoxScaleWidth, const PhraseData& Phrase, int Button, float X)
{
    QString reply;
    int16_t result = MciOk;
    for (const QString& command : PlayAroundPointCommands(BoxScaleWidth, Phrase, Button, X))
        result = SendMciCommand(command, reply);
    return result; // the play's, which comes last
}
