// A studio's saving without its windows, for the test that kills a studio
// at random moments: it edits the course in the given pack over and over,
// as a teacher would (a category added, a phrase recorded into it, its text
// changed, the category renamed and moved, then deleted), saving after
// every edit; it prints "file" before each file it writes and "saved" after
// each save.
//   tvcourse-writer PACK
#include "course/CoursePack.h"
#include "course/PhraseLabels.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {

bool Save(const QString& folder, const Course& course, Course& saved,
          const CourseManifest& manifest)
{
    QString problem;
    // Each file of a save is announced and waited for a moment, so that the
    // test can kill the writer in every gap between two files.
    const auto pause = [] {
        std::printf("file\n");
        std::fflush(stdout);
        QThread::msleep(10);
    };
    if (!SaveCoursePack(folder, course, manifest, &saved, &problem, pause)) {
        std::fprintf(stderr, "tvcourse-writer: %s\n", qPrintable(problem));
        return false;
    }
    saved = course;
    std::printf("saved\n");
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const QString folder = QFile::decodeName(argv[1]);
    Course course;
    CourseManifest manifest;
    QString problem;
    if (!LoadCoursePack(folder, course, manifest, &problem)) {
        std::fprintf(stderr, "tvcourse-writer: %s\n", qPrintable(problem));
        return 1;
    }
    QByteArray voice;
    QFile phrase(QDir(folder).filePath("Sounds/" + course.Root.Children[0].Phrases[0].FileName));
    if (!phrase.open(QIODevice::ReadOnly) || (voice = phrase.readAll()).isEmpty()) return 1;
    Course saved = course;
    for (int round = 0;; ++round) {
        std::vector<QString> taken = CategoryCodes(course);
        for (const QString& name : UnlistedPhraseFiles(folder, course))
            taken.push_back(CodeOfPhraseFile(name));
        const QString code = NextCategoryCode(taken);
        course.Root.Children.push_back(MakeCategory(QString("Extra %1").arg(round), code));
        if (!Save(folder, course, saved, manifest)) return 1;

        CoursePhrase added;
        added.FileName = NextPhraseFileName(code, {});
        added.Text = "one more phrase";
        const QString file = QDir(folder).filePath("Sounds/" + added.FileName);
        if (!WriteFileAtomically(file, voice)) return 1;
        course.Root.Children.back().Phrases.push_back(added);
        if (!Save(folder, course, saved, manifest)) return 1;

        course.Root.Children.back().Phrases.back().Text = "a changed phrase";
        course.Root.Children.back().Phrases.back().Explanation = "<p>Changed.</p>";
        if (!RewritePhraseLabels(file, "a changed phrase", "a|CHANGED|phrase") ||
            !Save(folder, course, saved, manifest))
            return 1;

        CourseNode moved = course.Root.Children.back();
        moved.Name = "Moved";
        course.Root.Children.pop_back();
        course.Root.Children.insert(course.Root.Children.begin() + 1, moved);
        if (!Save(folder, course, saved, manifest)) return 1;

        course.Root.Children.erase(course.Root.Children.begin() + 1);
        if (!Save(folder, course, saved, manifest)) return 1;
    }
}
