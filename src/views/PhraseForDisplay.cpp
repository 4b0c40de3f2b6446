#include "views/PhraseForDisplay.h"

#include "audio/PhraseFile.h"
#include "views/PitchProcessing.h"

void NamePhraseFiles(PhraseData& phrase, const QString& stem)
{
    phrase.StepFile = stem + ".stp";
    phrase.WaveFile = stem + ".wav";
    phrase.TextFile = stem + ".txt";
    phrase.PitchFile = stem + ".ptc";
}

int32_t LoadPhraseForDisplay(LoadedPhrase& speaker, const QString& waveFile, PhraseReading reading)
{
    const bool named = waveFile.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive);
    NamePhraseFiles(speaker.Phrase, named ? waveFile.chopped(4) : waveFile);
    // The file read is the one asked for, whatever its ending.
    speaker.Phrase.WaveFile = waveFile;
    const int32_t result =
        ReadPhraseFile(speaker.Loaded, speaker.Phrase, speaker.Format, speaker.Samples,
                       speaker.Memory, speaker.Pitch, 0, reading.ReadText ? 0 : -1, &speaker.Text);
    if (result == PhraseFileOk && reading.TrimPitchWindows)
        TrimPitchWindows(speaker.Phrase, speaker.Pitch);
    return result;
}
