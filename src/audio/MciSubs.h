#pragma once
// Playback by command strings. Every sound the exercise screen plays goes
// through SendMciCommand, always addressing the one device alias "wavefile",
// so at most one phrase file is open for playback at a time. The commands:
//
//   "open " + path + " type waveaudio alias wavefile"   path taken verbatim
//                                                       (blanks allowed)
//   "set wavefile time format samples"                  positions in samples
//   "set wavefile time format milliseconds"             ... or milliseconds
//                                                       (the default after open)
//   "seek wavefile to " + n                             stops any play
//   "play wavefile"                                     current position to end
//   "play wavefile from " + a + " to " + b              samples a up to b;
//                                                       either part may be left out
//   "status wavefile position"                          what has been heard so far
//   "status wavefile mode"                              "playing" or "stopped"
//   "status wavefile length"                            length of the sound
//   "close wavefile"                                    stops and closes
//
// Keywords are case-insensitive and may be separated by several blanks
// (PlayAroundPoint writes "from  1000 to  5000"). Play returns at once; the
// sound runs on the output installed with InstallAudioOutput. Positions count
// samples (or milliseconds) from the first sample of the file's "data" chunk.
#include "audio/AudioOutput.h"

#include <QString>

#include <cstdint>
#include <memory>

// Result codes (16-bit, 0 = success). Callers test for 0 and nothing else;
// the reply then holds the error text.
inline constexpr int16_t MciOk = 0;
inline constexpr int16_t MciUnrecognizedKeyword = 259;
inline constexpr int16_t MciUnrecognizedCommand = 261;
inline constexpr int16_t MciCannotPlay = 262;        // the sound output refused to start
inline constexpr int16_t MciInvalidDeviceName = 263; // not "wavefile", or nothing open
inline constexpr int16_t MciBadInteger = 270;
inline constexpr int16_t MciMissingParameter = 273;
inline constexpr int16_t MciFileNotFound = 275; // the file does not open
inline constexpr int16_t MciOutOfRange = 282;
inline constexpr int16_t MciDuplicateAlias = 289; // "wavefile" is already open
inline constexpr int16_t MciBadTimeFormat = 293;
inline constexpr int16_t MciInvalidFile = 296; // opens, but holds no playable PCM sound
inline constexpr int16_t MciFileNameRequired = 304;

inline constexpr int MciReplyLength = 256; // characters, including the closing zero

// Sends Command to the command device. Reply receives the reply text, or on an
// error the error text, cut at its first zero character and at most 255
// characters long. Never throws.
int16_t SendMciCommand(const QString& Command, QString& Reply);

// The text before its first zero character, or the whole text without one.
QString CutAtNull(const QString& Text);

// The error text for a result code (empty for MciOk).
QString MciErrorText(int16_t Code);

// A reply read as a number the lenient way: leading blanks skipped, then an
// optional sign and the digits that follow; anything else reads as 0, so an
// error text gives 0.
int64_t ReplyAsNumber(const QString& Reply);

// True while "wavefile" is open and its sound still plays. False when the
// device is closed, the file did not open, the output could not play, or the
// play has reached its end: the follower ends the playback on false.
bool WaveDeviceIsPlaying();

// Replaces the sound output behind the device (the device is closed first).
// The process starts with an output that cannot play.
void InstallAudioOutput(std::unique_ptr<AudioOutput> Output);
