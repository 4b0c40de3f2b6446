#include "views/ViewKinds.h"

#include "compare/DrawCompare.h"
#include "views/DrawPitch.h"
#include "views/DrawSignal.h"
#include "views/ViewColours.h"
#include "views/ViewDescription.h"

namespace {

void DrawPitchView(Canvas& canvas, const ViewInput& input, QColor fore, QColor back)
{
    DrawPitch(canvas, input.Phrase.Phrase, -1, -1, input.Phrase.Pitch, fore, back);
}

void DrawStressView(Canvas& canvas, const ViewInput& input, QColor, QColor back)
{
    DrawStress(canvas, input.Phrase.Phrase, back, input.LevelBounds, input.LevelBoundCount);
}

void DrawSignalView(Canvas& canvas, const ViewInput& input, QColor fore, QColor back)
{
    DrawSignal(canvas, input.Phrase.Phrase, input.Phrase.Samples, fore, back);
}

void DrawCompareView(Canvas& canvas, const ViewInput& input, QColor, QColor)
{
    if (input.Against)
        DrawCompare(canvas, *input.Against);
    else
        DrawCompareWithoutTake(canvas, input.Phrase);
}

QString DescribePitch(const QString& speaker, const LoadedPhrase& phrase)
{
    return DescribePitchView(speaker, phrase.Phrase, phrase.Pitch);
}

QString DescribeStress(const QString& speaker, const LoadedPhrase& phrase)
{
    return DescribeStressView(speaker, phrase.Phrase);
}

QString DescribeSignal(const QString& speaker, const LoadedPhrase& phrase)
{
    return DescribeSignalView(speaker, phrase.Phrase, phrase.Format);
}

QString DescribeCompare(const QString&, const LoadedPhrase&)
{
    return QString();
}

const std::array<ViewKindEntry, 4> Kinds = {{
    {ViewKind::Pitch, "pitch", "intonation", true, NativePitchBackColor, StudentPitchBackColor,
     DrawPitchView, DescribePitch},
    {ViewKind::Stress, "stress", "stress", true, NativeStressBackColor, StudentStressBackColor,
     DrawStressView, DescribeStress},
    {ViewKind::Signal, "signal", "waveform", true, NativeSignalBackColor, StudentSignalBackColor,
     DrawSignalView, DescribeSignal},
    {ViewKind::Compare, "compare", "comparison", false, CompareBackColor, CompareBackColor,
     DrawCompareView, DescribeCompare},
}};

} // namespace

const std::array<ViewKindEntry, 4>& ViewKinds()
{
    return Kinds;
}

const ViewKindEntry& ViewKindOf(ViewKind kind)
{
    for (const ViewKindEntry& entry : Kinds)
        if (entry.Kind == kind) return entry;
    return Kinds.front();
}

const ViewKindEntry* ViewKindNamed(const QString& name)
{
    for (const ViewKindEntry& entry : Kinds)
        if (name == QLatin1String(entry.Name)) return &entry;
    return nullptr;
}

QColor ViewBackColor(ViewKind kind, Speaker speaker)
{
    const ViewKindEntry& entry = ViewKindOf(kind);
    return speaker == Speaker::Native ? entry.NativeBack : entry.StudentBack;
}

void DrawView(Canvas& canvas, ViewKind kind, const ViewInput& input, QColor fore, QColor back)
{
    ViewKindOf(kind).Draw(canvas, input, fore, back);
}
