#pragma once
// The demo content pack built from its text sources (a folder holding
// Tree.txt, SentList.txt and Help/TVTutor.hlp). Every phrase of the list is
// spoken by festival and authored into Sounds/<stem>.wav, with the syllables
// festival spoke (their letters, their lexical stress, their times) on the
// steps they fall in; the lesson tree, the phrase list and the help document
// are copied beside them:
//   OUT/Sounds/Tree.txt, SentList.txt, <code>_<nn>.wav
//   OUT/Help/TVTutor.hlp
// Festival itself is run by the caller (a program may start processes; this
// code does not), on a script written here.
#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <functional>
#include <string>
#include <vector>

struct DemoPhrase
{
    QByteArray Stem;
    QByteArray Text;
};

// The categories spoken by the male voice; the others get the female
// voice. Festival's male diphone voice ends a question high and a statement
// low, its female voice flattens both ends but stresses words more clearly,
// so by default the male voice speaks sentence stress, statements and
// questions, and lists.
inline const QByteArrayList DefaultMaleCategories = {"12", "14", "16"};

struct DemoContentRequest
{
    QString Source; // the text sources
    QString Out;    // the pack to build
    QByteArrayList MaleCategories = DefaultMaleCategories;
};

// Runs festival in batch mode on the script at scriptPath; false, with the
// problem in words, when it cannot be started or fails.
using FestivalRun = std::function<bool(const QString& scriptPath, std::string& problem)>;

struct DemoContentOutcome
{
    bool Finished = false; // the phrases were spoken and the text sources copied
    int Phrases = 0;       // phrases spoken
    int Written = 0;       // phrase sound files authored
};

// The festival script that speaks every phrase into folder/<i>.wav and
// lists its syllables in folder/<i>.syl, i counting the phrases from 0.
QByteArray FestivalScript(const std::vector<DemoPhrase>& phrases,
                          const QByteArrayList& maleCategories, const QString& folder);

// Builds the pack. Each problem is reported as it happens, in one line
// (a phrase that cannot be authored, naming its stem, and the pack goes on).
DemoContentOutcome BuildDemoContent(const DemoContentRequest& request,
                                    const FestivalRun& runFestival,
                                    const std::function<void(const std::string&)>& report);
