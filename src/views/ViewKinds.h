#pragma once
// The kinds of view a phrase is drawn in, each with its drawing, its
// colours and its words for a screen reader: the one list that the
// exercise screen lays its speakers' views out by and tvtool render draws
// from. The pitch, stress and signal views draw one speaker's phrase and
// stand in that speaker's row of the screen; the compare view draws the
// learner's phrase against the model's.
#include "audio/LoadedPhrase.h"
#include "views/Canvas.h"
#include "views/DrawStress.h"

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

struct Comparison;

enum class ViewKind {
    Pitch,  // "Intonation"
    Stress, // "Intensity/Rhythm"
    Signal, // "Waveform"
    Compare
};

enum class Speaker { Native, Student };

// What a view is drawn from.
struct ViewInput
{
    const LoadedPhrase& Phrase;          // the speaker's phrase (the model's for the compare view)
    const Comparison* Against = nullptr; // the compare view: the model against the learner
    // The stress view's level table, entries 1..LevelBoundCount.
    std::span<const int16_t> LevelBounds = StandardLevelBounds;
    int16_t LevelBoundCount = StandardLevelBoundCount;
};

struct ViewKindEntry
{
    ViewKind Kind;
    const char* Name;  // as tvtool render --view names it
    const char* Noun;  // as a screen reader hears it: "Your intonation"
    bool InSpeakerRow; // drawn from one speaker's phrase, in that speaker's row
    QColor NativeBack;
    QColor StudentBack;
    // Clears the canvas to back and draws the view whole.
    void (*Draw)(Canvas& canvas, const ViewInput& input, QColor fore, QColor back);
    // What the view shows, in words, for the speaker named ("Native speaker's").
    QString (*Describe)(const QString& speaker, const LoadedPhrase& phrase);
};

// Every kind, the speaker-row kinds first in the order of the screen's
// option buttons and rows.
const std::array<ViewKindEntry, 4>& ViewKinds();
const ViewKindEntry& ViewKindOf(ViewKind kind);
// The kind of a tvtool render --view name; null for none.
const ViewKindEntry* ViewKindNamed(const QString& name);

// The kinds of a speaker's row, top option first.
inline constexpr std::array<ViewKind, 3> SpeakerRowKinds{ViewKind::Pitch, ViewKind::Stress,
                                                         ViewKind::Signal};

// The box colour of a view of a speaker; the views draw in ViewForeColor.
QColor ViewBackColor(ViewKind kind, Speaker speaker);

void DrawView(Canvas& canvas, ViewKind kind, const ViewInput& input, QColor fore, QColor back);
