#pragma once
// The tutor's one practice session (see practice/TakeReview.h): the
// learner's history, opened on the first take and kept open while the
// tutor runs, and the key of the phrase on the exercise screen.
#include "practice/TakeReview.h"

PracticeSession& TutorPractice();

// The key of the current phrase of the phrase list: the course's pack in
// the history (its identity, or its folder's name), the phrase's category
// code and its stem relative to Sounds/.
PhraseKey CurrentPhraseKey();
