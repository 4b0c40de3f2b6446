#pragma once
// The comparison in words a learner understands: at most three short
// sentences, most important first. A wrongly placed stress comes first,
// then an ending that moves the other way, then the step whose pitch is
// furthest off and the evenness of the rhythm; what the learner does as
// the model does fills the rest. Steps are named by their syllable where the
// model's file gives it, else by their place ("the 2nd beat").
#include <QString>
#include <QStringList>

struct Comparison;

inline constexpr int MaxAdviceSentences = 3;

QStringList AdviseLearner(const Comparison& comparison);

// "1st", "2nd", "3rd", "4th", ..., "11th", "21st".
QString Ordinal(int number);
