#pragma once
// "Try as a Learner": the tutor started on the course being built, with an
// installation and a settings file of its own in the studio's cache folder,
// so nothing of the teacher's own tutor (its settings, its learner files,
// its practice history, its installed courses) is read or touched.
#include <QString>
#include <QStringList>

// Lays out <cache>/tonvale-studio/trial (Data, a Bin link to the analyser,
// TonvaleTutor.conf naming the course) and starts the tutor on it. False
// with a reason when the tutor cannot be started.
bool StartLearnerTrial(const QString& courseFolder, QString* problem = nullptr);

// The trial's folder and settings file, for the tests.
QString LearnerTrialFolder();
bool PrepareLearnerTrial(const QString& courseFolder, const QString& trialFolder,
                         const QString& analyserFolder, QString* problem = nullptr);
// The tutor's command line for the trial laid out in trialFolder.
QStringList LearnerTrialArguments(const QString& trialFolder);
