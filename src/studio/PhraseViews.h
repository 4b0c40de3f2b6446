#pragma once
// A phrase as the learner will see it: the native speaker's three views
// (Intonation, Intensity/Rhythm, Waveform) drawn exactly as the tutor's
// exercise screen draws them, and whole-phrase playback with the follower
// that shades the steps heard and turns their bars green.
#include "audio/LoadedPhrase.h"

#include <QWidget>

#include <memory>

class PictureBox;
class QLabel;
class QPushButton;
class QTimer;

class PhraseViews : public QWidget
{
    Q_OBJECT
public:
    explicit PhraseViews(QWidget* parent = nullptr);
    ~PhraseViews() override;

    PictureBox* NativePitch;
    PictureBox* NativeStress;
    PictureBox* NativeSignal;
    QPushButton* PlayButton;

    // Reads the phrase file and draws it; an empty path (or a file that
    // does not read) clears the views. Returns the reader's result.
    int32_t ShowPhrase(const QString& waveFile);
    bool HasPhrase() const { return phrase && phrase->Loaded != 0; }
    const LoadedPhrase* Phrase() const { return phrase.get(); }

    void Play();
    void StopPlaying();
    bool IsPlaying() const;
    // The sample position the follower has reached.
    int32_t FollowerPosition() const { return followed; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Draw();
    void Follow();

    std::unique_ptr<LoadedPhrase> phrase;
    QTimer* followTimer;
    int32_t followed = 0;
};
