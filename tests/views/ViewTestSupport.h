#pragma once
// Builders for phrases, pitch tracks and sample buffers, and a reader for
// the elements an SvgCanvas recorded, shared by the view tests.
#include "audio/PhraseData.h"
#include "views/SvgCanvas.h"

#include <QByteArray>
#include <QMap>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <vector>

struct StepShape
{
    int32_t Start;
    int32_t End; // last sample
    int32_t PitchStart;
    int32_t PitchEnd;
    int32_t Height;
};

// A phrase with the given bounds and steps, totals as the reader makes them.
inline PhraseData MakePhrase(int32_t phraseStart, int32_t phraseEnd,
                             const std::vector<StepShape>& steps)
{
    PhraseData phrase;
    phrase.PhraseStart = phraseStart;
    phrase.PhraseEnd = phraseEnd;
    int32_t highest = 0;
    for (const StepShape& shape : steps) {
        StepRecord& step = phrase.Steps[++phrase.StepCount];
        step.Start = shape.Start;
        step.Length = shape.End - shape.Start + 1;
        step.PitchStart = shape.PitchStart;
        step.PitchEnd = shape.PitchEnd;
        step.Height = shape.Height;
        highest = std::max(highest, shape.Height);
        phrase.TotalLength += step.Length;
    }
    phrase.MaxHeight = int16_t(std::min(highest, 32767));
    return phrase;
}

// Points every spacing samples from firstPosition, with the given values.
inline PitchTrack EvenTrack(int32_t firstPosition, int32_t spacing,
                            const std::vector<int32_t>& values)
{
    PitchTrack track;
    for (size_t i = 0; i < values.size(); ++i)
        track.push_back(PitchPoint{firstPosition + int32_t(i) * spacing, values[i]});
    return track;
}

// 16-bit little-endian samples in a buffer the test owns.
struct SampleBuffer
{
    QByteArray bytes;
    WaveHeader header;

    explicit SampleBuffer(const std::vector<int16_t>& samples)
    {
        for (int16_t sample : samples) {
            bytes.append(char(uint16_t(sample) & 0xFF));
            bytes.append(char(uint16_t(sample) >> 8));
        }
        header.Data = bytes.data();
        header.BufferLength = uint32_t(bytes.size());
    }
};

struct SvgElement
{
    QString tag;                  // "line" or "rect"
    QMap<QString, QString> attrs; // every attribute as written

    double Num(const QString& name) const { return attrs.value(name).toDouble(); }
    QString Class() const { return attrs.value("class"); }
};

inline std::vector<SvgElement> ParseElements(const SvgCanvas& canvas)
{
    static const QRegularExpression elementPattern(R"(^<(\w+)((?: [\w-]+="[^"]*")*)/>$)");
    static const QRegularExpression attrPattern(R"(([\w-]+)="([^"]*)\")");
    std::vector<SvgElement> result;
    for (const QString& text : canvas.Elements()) {
        const auto match = elementPattern.match(text);
        SvgElement element;
        element.tag = match.hasMatch() ? match.captured(1) : QStringLiteral("unparsed");
        auto attrs = attrPattern.globalMatch(match.captured(2));
        while (attrs.hasNext()) {
            const auto attr = attrs.next();
            element.attrs.insert(attr.captured(1), attr.captured(2));
        }
        result.push_back(element);
    }
    return result;
}

inline std::vector<SvgElement> ElementsOf(const SvgCanvas& canvas, const QString& tag)
{
    std::vector<SvgElement> all = ParseElements(canvas);
    std::erase_if(all, [&](const SvgElement& element) {
        return element.tag != tag || element.Class() == "clear";
    });
    return all;
}
