#pragma once
// A speaker's phrase read as the exercise screen shows it: its files named
// after the sound file's stem, the phrase sound file read, and the steps'
// pitch windows trimmed against the pitch track. The screen, tvtool render
// and tvtool info read phrases this one way.
#include "audio/LoadedPhrase.h"

#include <QString>

#include <cstdint>

struct PhraseReading
{
    bool ReadText = true;         // false: the text chunk is not looked for (a learner's take)
    bool TrimPitchWindows = true; // false: the steps as stored (tvtool info)
};

// The phrase's wave, text, step and pitch files: stem followed by ".wav",
// ".txt", ".stp" and ".ptc". The result file is left as it is.
void NamePhraseFiles(PhraseData& phrase, const QString& stem);

// Names the speaker's files after waveFile's stem (waveFile without a
// ".wav" ending, in any case), reads the file into the speaker and trims
// the pitch windows. Returns 0 or the reader's code (audio/PhraseFile.h);
// on failure nothing is trimmed.
int32_t LoadPhraseForDisplay(LoadedPhrase& speaker, const QString& waveFile,
                             PhraseReading reading = {});
