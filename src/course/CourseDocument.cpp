#include "course/CourseDocument.h"

#include "content/ContentText.h"
#include "course/CourseArchive.h"
#include "course/CourseHelp.h"
#include "course/CoursePack.h"
#include "course/PhraseLabels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

// One undo step: the course (and its manifest) before and after the edit.
// Courses are small, so whole copies keep every edit's undo exact.
class CourseDocument::Edit : public QUndoCommand
{
public:
    Edit(CourseDocument& document, const QString& text, Snapshot before, Snapshot after)
        : QUndoCommand(text), document(document), before(std::move(before)), after(std::move(after))
    {
    }
    void redo() override { document.Apply(after); }
    void undo() override { document.Apply(before); }

private:
    CourseDocument& document;
    Snapshot before;
    Snapshot after;
};

namespace {

const QString ReadOnlyProblem =
    "This course cannot be changed here (it came with the tutor, or its folder is read-only). "
    "Use File > Save a Copy to work on a copy of it.";

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

void CollectPhrases(const CourseNode& node, std::map<QString, CoursePhrase>& into)
{
    for (const CoursePhrase& phrase : node.Phrases)
        into[phrase.FileName] = phrase;
    for (const CourseNode& child : node.Children)
        CollectPhrases(child, into);
}

std::map<QString, CoursePhrase> PhrasesByFile(const CourseNode& root)
{
    std::map<QString, CoursePhrase> phrases;
    CollectPhrases(root, phrases);
    return phrases;
}

std::vector<QString> FileNamesOf(const CourseNode& node)
{
    std::vector<QString> names;
    for (const CoursePhrase& phrase : node.Phrases)
        names.push_back(phrase.FileName);
    return names;
}

bool FolderIsEmpty(const QString& folder)
{
    const QFileInfo info(folder);
    return !info.exists() ||
           (info.isDir() && QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                 QDir::Hidden | QDir::System));
}

} // namespace

CourseDocument::CourseDocument() = default;

CourseDocument::~CourseDocument()
{
    Close();
}

bool CourseDocument::Create(const QString& target, const QString& title, QString* problem)
{
    if (!FolderIsEmpty(target))
        return Refuse(
            problem,
            QString("%1 is not empty: a new course starts in an empty folder.").arg(target));
    const QString name = title.trimmed().isEmpty() ? QString("My Course") : title.trimmed();
    if (const QString why = CheckNodeName(name); !why.isEmpty()) return Refuse(problem, why);
    const Course fresh = NewCourse(name);
    CourseManifest freshManifest{name, {}, "en", "1.0"};
    freshManifest.Id = NewCourseId();
    if (!QDir().mkpath(target + "/Sounds") || !QDir().mkpath(target + "/Help"))
        return Refuse(problem, QString("cannot create the folders of %1").arg(target));
    if (!SaveCoursePack(target, fresh, freshManifest, nullptr, problem)) return false;
    return Open(target, {}, problem);
}

bool CourseDocument::Open(const QString& target, const QString& installedContent, QString* problem)
{
    Course opened;
    CourseManifest openedManifest;
    QString openedUnsaved;
    if (!LoadCoursePack(target, opened, openedManifest, problem, &openedUnsaved)) return false;
    Close();
    folder = QDir(target).absolutePath();
    // Every edit saves the help document afresh from the course; one written
    // by hand may hold what the course has no place for, which a save would
    // silently drop. It is read as the tutor reads the lists, so that one
    // written in Windows-1252 keeps its accents when saved as UTF-8.
    QByteArray help;
    helpLost.clear();
    if (ReadWholeFile(QDir(folder).filePath(HelpFileName), help))
        helpLost = HelpTextLostBy(DecodeContentText(help), ComposeHelpDocument(opened));
    // A text the lists store in Windows-1252 may fit its field only so; the
    // first save would be refused, whatever was changed, or cut it.
    textTooLong = openedUnsaved;
    // A manifest this studio cannot read (a newer format, a hand edit in
    // another encoding) would be replaced by a default one at the first save.
    manifestProblem.clear();
    const QString manifestFile = QDir(folder).filePath(ManifestFileName);
    if (QFileInfo::exists(manifestFile)) {
        QByteArray bytes;
        if (!ReadWholeFile(manifestFile, bytes))
            manifestProblem = "it cannot be read";
        else if (!ParseCourseManifest(bytes, &manifestProblem) && manifestProblem.isEmpty())
            manifestProblem = "it is no manifest";
    }
    readOnly = !helpLost.isEmpty() || !textTooLong.isEmpty() || !manifestProblem.isEmpty() ||
               !PackIsWritable(folder, installedContent);
    lockedBy.clear();
    if (!readOnly) {
        editLock = std::make_unique<QLockFile>(QDir(folder).filePath(CourseEditLockName));
        // Only a studio that is gone gives its lock up, however long the
        // other has had the course open.
        editLock->setStaleLockTime(0);
        if (!editLock->tryLock(0) && editLock->error() != QLockFile::LockFailedError) {
            editLock.reset(); // no lock can be made here: edit as before locks
        } else if (!editLock->isLocked()) {
            qint64 pid = 0;
            QString host, program;
            editLock->getLockInfo(&pid, &host, &program);
            lockedBy = host.isEmpty() ? QString("another studio")
                                      : QString("a studio on %1 (process %2)").arg(host).arg(pid);
            editLock.reset();
            readOnly = true;
        }
    }
    course = opened;
    saved = opened;
    for (const auto& [file, phrase] : PhrasesByFile(course.Root))
        listedThisSession.insert(file);
    manifest = openedManifest;
    // A course made before courses had an identity gets one now, kept on
    // disk at once: every later export must carry the same one. It is made
    // from what identified such a course before, so every copy of its folder
    // gets the same one and their exports still replace each other.
    if (!readOnly && manifest.Id.isEmpty()) {
        CourseManifest named = manifest;
        named.Id = CourseIdFromTitle(manifest.Title, manifest.Author);
        if (WriteFileAtomically(QDir(folder).filePath(ManifestFileName), CourseManifestText(named),
                                nullptr))
            manifest = named;
    }
    undo.clear();
    emit Changed();
    return true;
}

bool CourseDocument::SaveAgain(QString* problem)
{
    if (!unsaved) return true;
    if (!SaveCoursePack(folder, course, manifest, &saved, problem)) return false;
    saved = course;
    unsaved = false;
    return true;
}

bool CourseDocument::SaveCopy(const QString& target, QString* problem)
{
    if (!IsOpen()) return Refuse(problem, "No course is open.");
    if (!FolderIsEmpty(target))
        return Refuse(problem,
                      QString("%1 is not empty: a copy goes into an empty folder.").arg(target));
    const QDir from(folder);
    const QDir to(target);
    // The lists on disk are older than the window's course after a failed
    // save; the copy is then saved from the course itself.
    QStringList files;
    if (!unsaved) files << TreeFileName << PhraseListFileName << HelpFileName;
    // Files of phrases deleted in this session wait here only for an undo,
    // which the copy cannot make: they stay behind, and their names are
    // retired in the copy as closing retires them here.
    const QStringList dropped = DroppedPhraseFiles();
    for (const QString& sound : QDir(from.filePath("Sounds")).entryList({"*.wav", "*.WAV"})) {
        if (!dropped.contains(sound)) files << "Sounds/" + sound;
    }
    for (const QString& picture :
         QDir(from.filePath("Help")).entryList({"*.png", "*.jpg", "*.jpeg", "*.gif"}))
        files << "Help/" + picture;
    for (const QString& file : files) {
        QByteArray bytes;
        if (!ReadWholeFile(from.filePath(file), bytes))
            continue; // a pack without help or list is copied as it is
        if (!WriteFileAtomically(to.filePath(file), bytes, problem)) return false;
    }
    // A copy is another course (another class's variant): installed beside
    // the original, never over it.
    // Saved from the window after a failed save, the copy is this course
    // kept elsewhere, not a variant: it keeps the identity.
    CourseManifest copied = manifest;
    copied.Retired << dropped;
    if (!unsaved) copied.Id = NewCourseId();
    if (unsaved) {
        if (!QDir().mkpath(to.filePath("Sounds")) || !QDir().mkpath(to.filePath("Help")))
            return Refuse(problem, QString("cannot create the folders of %1").arg(target));
        return SaveCoursePack(target, course, copied, nullptr, problem) &&
               Open(target, {}, problem);
    }
    if (!WriteFileAtomically(to.filePath(ManifestFileName), CourseManifestText(copied), problem))
        return false;
    return Open(target, {}, problem);
}

void CourseDocument::Close()
{
    if (IsOpen() && !readOnly) {
        // Only what the lists on disk no longer name either: after a failed
        // save they still name the phrases deleted since.
        const QStringList unlistedOnDisk = UnlistedPhraseFiles(folder, saved);
        QStringList gone;
        for (const QString& name : DroppedPhraseFiles()) {
            if (unlistedOnDisk.contains(name)) gone << name;
        }
        // Their names are retired first: a file kept because that failed
        // still keeps its name from a new phrase, and a name given again
        // would hand the old phrase's practice history to the new one.
        CourseManifest retiring = manifest;
        retiring.Retired << gone;
        if (!gone.isEmpty() && WriteFileAtomically(QDir(folder).filePath(ManifestFileName),
                                                   CourseManifestText(retiring), nullptr)) {
            for (const QString& name : gone)
                QFile::remove(QDir(folder).filePath("Sounds/" + name));
        }
    }
    listedThisSession.clear();
    undo.clear();
    unsaved = false;
    editLock.reset();
    lockedBy.clear();
    folder.clear();
    course = Course();
    saved = Course();
}

QStringList CourseDocument::DroppedPhraseFiles() const
{
    QStringList dropped;
    for (const QString& name : UnlistedPhraseFiles(folder, course)) {
        if (listedThisSession.count(name) != 0) dropped << name;
    }
    return dropped;
}

QString CourseDocument::SoundFile(const QString& fileName) const
{
    return QDir(folder).filePath("Sounds/" + fileName);
}

NodePath CourseDocument::ChildPath(const NodePath& parent, int index)
{
    NodePath path = parent;
    path.push_back(index);
    return path;
}

QString CourseDocument::Writable() const
{
    if (!IsOpen()) return "No course is open.";
    if (!helpLost.isEmpty())
        return QString("This course's help document holds %1, which a save here would lose. To "
                       "change the course here, write each topic as <h3><a name=\"N\"></a>"
                       "Heading</h3> followed by its text.")
            .arg(helpLost);
    if (!textTooLong.isEmpty())
        return QString("This course cannot be saved as it stands: %1. Shorten that text in the "
                       "file, then open the course again.")
            .arg(textTooLong);
    if (!manifestProblem.isEmpty())
        return QString("This course's %1 cannot be read (%2); a save here would replace it. "
                       "Correct the file, or use File > Save a Copy to work on a copy.")
            .arg(ManifestFileName, manifestProblem);
    if (!lockedBy.isEmpty())
        return QString("%1 has this course open; changes are made there, or here once it is "
                       "closed (open the course again then). If no studio has it open any "
                       "more, remove %2.")
            .arg(lockedBy, QDir(folder).filePath(CourseEditLockName));
    return readOnly ? ReadOnlyProblem : QString();
}

QString CourseDocument::ReadOnlyHint() const
{
    if (!readOnly) return {};
    if (!lockedBy.isEmpty()) return QString("open in %1").arg(lockedBy);
    if (!manifestProblem.isEmpty()) return QString("its %1 cannot be read").arg(ManifestFileName);
    if (!textTooLong.isEmpty()) return "a text of its lists is too long to save as UTF-8";
    return helpLost.isEmpty() ? "File > Save a Copy to change it"
                              : "its help document is written in a form the studio cannot keep";
}

std::vector<QString> CourseDocument::TakenCodes() const
{
    // Codes of phrase files that an undo may still list again are taken too.
    std::vector<QString> taken = CategoryCodes(course);
    for (const QString& name : UnlistedPhraseFiles(folder, course))
        taken.push_back(CodeOfPhraseFile(name));
    for (const QString& name : manifest.Retired)
        taken.push_back(CodeOfPhraseFile(name));
    return taken;
}

QString CourseDocument::Push(const QString& text, const Course& next)
{
    return Push(text, next, manifest);
}

QString CourseDocument::Push(const QString& text, const Course& next,
                             const CourseManifest& nextManifest)
{
    QString problem;
    if (TreeTextOf(next, &problem).isEmpty() || PhraseListTextOf(next, &problem).isEmpty())
        return problem;
    undo.push(new Edit(*this, text, {course, manifest}, {next, nextManifest}));
    return {};
}

void CourseDocument::Apply(const Snapshot& next)
{
    const std::map<QString, CoursePhrase> before = PhrasesByFile(course.Root);
    course = next.CourseState;
    manifest = next.ManifestState;
    for (const auto& [file, phrase] : PhrasesByFile(course.Root))
        listedThisSession.insert(file);
    QString problem;
    bool ok = true;
    for (const auto& [file, phrase] : PhrasesByFile(course.Root)) {
        const auto old = before.find(file);
        if (old == before.end() ||
            (old->second.Text == phrase.Text && old->second.Syllables == phrase.Syllables))
            continue;
        // Syllables the author did not touch stay as the file holds them: a
        // spelling rebuilt from them can lose where they were placed.
        const QByteArray text = phrase.Text.trimmed().toUtf8();
        const bool relabelled =
            old->second.Syllables == phrase.Syllables
                ? RewritePhraseText(SoundFile(file), text, &problem)
                : RewritePhraseLabels(SoundFile(file), text, phrase.Syllables, &problem);
        ok = relabelled && ok;
    }
    if (ok && SaveCoursePack(folder, course, manifest, &saved, &problem)) {
        saved = course;
        unsaved = false;
    } else {
        unsaved = true;
        emit SaveFailed(problem);
    }
    emit Changed();
}

QString CourseDocument::AddCategory(const NodePath& parent, int index, const QString& name)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    const QString code = NextCategoryCode(TakenCodes());
    if (code.isEmpty()) return "The course holds as many categories as the studio can number.";
    return AddNode(parent, index, MakeCategory(name.trimmed(), code), "Add Category");
}

QString CourseDocument::AddTopic(const NodePath& parent, int index, const QString& name)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    return AddNode(parent, index, MakeTopic(name.trimmed()), "Add Topic");
}

QString CourseDocument::AddNode(const NodePath& parent, int index, const CourseNode& node,
                                const QString& text)
{
    if (QString why = CheckNodeName(node.Name); !why.isEmpty()) return why;
    if (QString why = CheckPlacement(course, node, parent); !why.isEmpty()) return why;
    Course next = course;
    CourseNode* into = NodeAt(next, parent);
    index = std::clamp(index, 0, static_cast<int>(into->Children.size()));
    into->Children.insert(into->Children.begin() + index, node);
    return Push(text, next);
}

QString CourseDocument::RenameNode(const NodePath& path, const QString& name)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    if (QString why = CheckNodeName(name); !why.isEmpty()) return why;
    Course next = course;
    CourseNode* node = NodeAt(next, path);
    if (node == nullptr) return "There is no such entry.";
    if (node->Name == name.trimmed()) return {};
    node->Name = name.trimmed();
    if (!path.empty()) return Push("Rename", next);
    // The top entry is the course's title, which the manifest gives the
    // learner: both change, or the course is installed under the old one.
    CourseManifest titled = manifest;
    titled.Title = node->Name;
    return Push("Rename Course", next, titled);
}

QString CourseDocument::MoveNode(const NodePath& from, const NodePath& toParent, int index,
                                 NodePath* movedTo)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    const CourseNode* node = NodeAt(course, from);
    if (node == nullptr || from.empty()) return "There is no such entry.";
    if (QString why = CheckPlacement(course, *node, toParent, &from); !why.isEmpty()) return why;
    Course next = course;
    NodePath parentOfFrom(from.begin(), from.end() - 1);
    CourseNode moved = *node;
    CourseNode* oldParent = NodeAt(next, parentOfFrom);
    oldParent->Children.erase(oldParent->Children.begin() + from.back());
    // Removing the node shifts the later siblings (and the target, when it
    // lies after the node under the same parent) one place up.
    NodePath target = toParent;
    if (target.size() > parentOfFrom.size() &&
        std::equal(parentOfFrom.begin(), parentOfFrom.end(), target.begin()) &&
        target[parentOfFrom.size()] > from.back())
        --target[parentOfFrom.size()];
    if (target == parentOfFrom && index > from.back()) --index;
    CourseNode* newParent = NodeAt(next, target);
    index = std::clamp(index, 0, static_cast<int>(newParent->Children.size()));
    newParent->Children.insert(newParent->Children.begin() + index, moved);
    if (movedTo != nullptr) *movedTo = ChildPath(target, index);
    return Push("Move", next);
}

QString CourseDocument::RemoveNode(const NodePath& path)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    if (path.empty() || NodeAt(course, path) == nullptr) return "There is no such entry.";
    Course next = course;
    CourseNode* parent = NodeAt(next, NodePath(path.begin(), path.end() - 1));
    parent->Children.erase(parent->Children.begin() + path.back());
    return Push("Delete", next);
}

QString CourseDocument::AddPhrase(const NodePath& category, const CoursePhrase& phrase)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    if (QString why = CheckPhraseText(phrase.Text); !why.isEmpty()) return why;
    Course next = course;
    CourseNode* node = NodeAt(next, category);
    if (node == nullptr || !node->IsCategory) return "Phrases belong to a category.";
    node->Phrases.push_back(phrase);
    node->Phrases.back().Text = phrase.Text.trimmed();
    std::sort(node->Phrases.begin(), node->Phrases.end(),
              [](const CoursePhrase& a, const CoursePhrase& b) {
                  return a.FileName.compare(b.FileName, Qt::CaseInsensitive) < 0;
              });
    return Push("Add Phrase", next);
}

QString CourseDocument::RemovePhrase(const NodePath& category, int index)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    Course next = course;
    CourseNode* node = NodeAt(next, category);
    if (node == nullptr || index < 0 || index >= static_cast<int>(node->Phrases.size()))
        return "There is no such phrase.";
    node->Phrases.erase(node->Phrases.begin() + index);
    return Push("Delete Phrase", next);
}

QString CourseDocument::SetPhraseText(const NodePath& category, int index, const QString& text,
                                      const QString& syllables)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    if (QString why = CheckPhraseText(text); !why.isEmpty()) return why;
    Course next = course;
    CourseNode* node = NodeAt(next, category);
    if (node == nullptr || index < 0 || index >= static_cast<int>(node->Phrases.size()))
        return "There is no such phrase.";
    CoursePhrase& phrase = node->Phrases[static_cast<size_t>(index)];
    if (phrase.Text == text.trimmed() && phrase.Syllables == syllables.trimmed()) return {};
    phrase.Text = text.trimmed();
    phrase.Syllables = syllables.trimmed();
    return Push("Edit Phrase", next);
}

QString CourseDocument::SetExplanation(const NodePath& path, int index, const QString& html)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    Course next = course;
    CourseNode* node = NodeAt(next, path);
    if (node == nullptr) return "There is no such entry.";
    QString* body = &node->Explanation;
    if (index >= 0) {
        if (index >= static_cast<int>(node->Phrases.size())) return "There is no such phrase.";
        body = &node->Phrases[static_cast<size_t>(index)].Explanation;
    }
    if (*body == html) return {};
    *body = html;
    return Push("Edit Explanation", next);
}

QString CourseDocument::SetManifest(const CourseManifest& next)
{
    if (QString why = Writable(); !why.isEmpty()) return why;
    CourseManifest tidy = Tidied(next);
    // The details the teacher edits; identity and retired names are the
    // course's own.
    tidy.Id = manifest.Id;
    tidy.Retired = manifest.Retired;
    if (tidy.Title == manifest.Title && tidy.Author == manifest.Author &&
        tidy.Language == manifest.Language && tidy.Version == manifest.Version)
        return {};
    // The title is also the top entry of the tree, which the studio and the
    // help show: both change together.
    Course titled = course;
    if (tidy.Title != manifest.Title) {
        if (QString why = CheckNodeName(tidy.Title); !why.isEmpty())
            return QString("The title is also the course's name at the top of the lesson tree. %1")
                .arg(why);
        titled.Root.Name = tidy.Title;
    }
    return Push("Edit Course Details", titled, tidy);
}

QString CourseDocument::NewPhraseFileName(const NodePath& category) const
{
    const CourseNode* node = NodeAt(course, category);
    if (node == nullptr || !node->IsCategory) return {};
    std::vector<QString> inUse = FileNamesOf(*node);
    for (const QString& name : UnlistedPhraseFiles(folder, course))
        inUse.push_back(name);
    for (const QString& name : manifest.Retired)
        inUse.push_back(name);
    return NextPhraseFileName(node->Code, inUse);
}
