#include "exercise/TutorPractice.h"

#include "app/CommonVar.h"
#include "navigation/PracticeMarks.h"

#include <QCoreApplication>

#include <memory>

namespace {

std::unique_ptr<PracticeSession> session;

} // namespace

PracticeSession& TutorPractice()
{
    if (!session) {
        session = std::make_unique<PracticeSession>();
        // The database closes while Qt's SQL drivers are still there.
        qAddPostRoutine([] { session.reset(); });
    }
    return *session;
}

PhraseKey CurrentPhraseKey()
{
    if (CurrentPhrase < 1 || CurrentPhrase >= static_cast<int32_t>(PhraseList.size()))
        return PhraseKey{};
    const PhraseEntry& entry = PhraseList[CurrentPhrase];
    return PhraseKey{OpenCoursePack(), QString::fromUtf8(entry.CategoryCode),
                     QString::fromUtf8(entry.Stem)};
}
