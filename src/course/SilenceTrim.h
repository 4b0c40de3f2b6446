#pragma once
// Trimming the silence before and after a phrase in a recording an author
// imports or records, so the phrase starts near the left edge of the views
// and playback does not begin with a pause. The original is never changed:
// the trimmed sound is written to a new file.
#include <QString>

struct TrimResult
{
    bool Written = false;
    QString Problem;          // why not, when not written
    double SecondsBefore = 0; // length of the recording
    double SecondsAfter = 0;  // length of what was written
};

// Frames of 10 ms count as silence when their loudness above 90 Hz is more
// than 40 dB below the loudest frame's, or within 10 dB of the quietest
// tenth of the frames (a room's noise), though a frame louder than halfway
// in decibels from that tenth to the loudest is always sound. The sound from the first to the last run of at
// least 50 ms of louder frames is kept with 150 ms on either side (or up to
// the recording's ends), and written, as it was recorded, to output as
// 16-bit PCM WAV in the input's rate and channels. Any file libsndfile reads
// (WAV, FLAC, Ogg, MP3) is taken.
TrimResult TrimSilence(const QString& input, const QString& output);
