#pragma once
// Small courses for the tests: a recording of a synthesised voice, a phrase
// file authored from it, and a whole pack saved the way the studio saves.
#include "authoring/PhraseAuthoring.h"
#include "course/CoursePack.h"
#include "support/SoundFiles.h"
#include "support/SyntheticVoice.h"

#include <QDir>
#include <QFile>

#include <sndfile.h>

// A mono 16-bit WAV of two voiced syllables with silence around them.
inline bool WriteVoiceRecording(const QString& path, int rate = 22050, double leadSeconds = 0.3)
{
    const std::vector<float> samples = SynthesiseVoice({{leadSeconds, 0, 0, 0},
                                                        {0.22, 190, 220, 0.5},
                                                        {0.08, 0, 0, 0},
                                                        {0.25, 220, 170, 0.6},
                                                        {0.4, 0, 0, 0}},
                                                       rate)
                                           .Samples;
    return WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, samples);
}

// A course of two categories and three phrases, saved into folder with its
// phrase files authored from a synthesised voice.
inline Course WriteSmallCourse(const QString& folder)
{
    Course course = NewCourse("Stress for Beginners");
    course.Root.Children[0].Explanation = "<p>Welcome.</p>";
    QDir().mkpath(QDir(folder).filePath("Sounds"));
    const QString recording = QDir(folder).filePath("voice.wav");
    WriteVoiceRecording(recording);
    int n = 0;
    for (CourseNode& category : course.Root.Children) {
        for (int i = 0; i < (n == 0 ? 1 : 2); ++i) {
            CoursePhrase phrase;
            phrase.FileName = QString("%1_%2.wav").arg(category.Code).arg(i + 1, 2, 10, QChar('0'));
            phrase.Text = QString("phrase %1 of %2").arg(i + 1).arg(category.Name);
            phrase.Explanation = "<p>Say it <b>twice</b>.</p>";
            AuthorPhraseFile(recording, QDir(folder).filePath("Sounds/" + phrase.FileName),
                             phrase.Text.toUtf8());
            category.Phrases.push_back(phrase);
        }
        ++n;
    }
    QFile::remove(recording);
    SaveCoursePack(folder, course, CourseManifest{"Stress for Beginners", "Ann", "en-GB", "1.0"});
    return course;
}
