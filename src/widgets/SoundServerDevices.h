#pragma once
// The input and output the learner chose for the whole system, as the sound
// server has them. Qt 6.4 cannot tell: its default input is the first one
// listed, whatever the server's default, and its default output is the one
// of the moment the program started. A learner who picked a headset in the
// desktop's sound settings would be recorded from the laptop's built-in
// microphone. So the server itself is asked, at every take and every play;
// Qt's defaults serve when it cannot be asked (no server, a build without
// libpulse) or names a device Qt does not list.
#include <QAudioDevice>

QAudioDevice ChosenAudioInput();
QAudioDevice ChosenAudioOutput();

// Whether a device that Qt could not open is one the sound server offers at
// this moment. Qt 6.4 never reconnects to a server that was restarted (after
// an update, a crash): from then on every stream fails to open, while the
// server and its devices are fine for every other program, and only closing
// the program and starting it again helps. Once so, it stays so for the
// process. False when the server cannot be asked or does not offer the
// device: it is missing, and the usual messages hold.
bool QtLostTheSoundServer(const QAudioDevice& device);
// Whether that has been seen in this process.
bool SoundSystemRestartNeeded();
