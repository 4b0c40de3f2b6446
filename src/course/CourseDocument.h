#pragma once
// The course the studio has open: the course and its manifest, the folder
// it lives in, and every edit as a step of an undo stack. An edit (and its
// undo and redo) changes the course, rewrites the labels of the phrase
// files whose text or syllables changed, and saves the pack at once, so the
// folder always holds the course as the teacher sees it. Phrase files of
// deleted phrases and categories stay in the folder while an undo can still
// bring them back, and go when the course is closed.
// Widget-free: the studio's windows listen to Changed and call the edits.
#include "course/CourseManifest.h"
#include "course/CourseModel.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>
#include <set>

// The lock file a studio holds in the course folder it edits.
inline const QString CourseEditLockName = QStringLiteral(".studio-lock");

class CourseDocument : public QObject
{
    Q_OBJECT
public:
    CourseDocument();
    ~CourseDocument() override;

    // A new course titled title in folder (missing or empty), saved at once.
    bool Create(const QString& folder, const QString& title, QString* problem = nullptr);
    // The pack in folder; read-only when it is the pack installed with the
    // tutor (installedContent), the folder cannot be written, another studio
    // has it open, its help document was written by hand in a form a save
    // would not keep, or a text stored in Windows-1252 outgrows its field
    // as UTF-8.
    bool Open(const QString& folder, const QString& installedContent, QString* problem = nullptr);
    // Copies the open pack's files into folder (missing or empty) and opens
    // the copy, writable; files of phrases deleted in this session are left
    // out. After a failed save the copy holds the course as the window shows
    // it, not the older one its files hold.
    bool SaveCopy(const QString& folder, QString* problem = nullptr);
    // Removes the phrase files that this session's edits left unlisted (no
    // undo can bring them back any more); files that were unlisted when the
    // course was opened are the teacher's and stay.
    void Close();

    bool IsOpen() const { return !folder.isEmpty(); }
    // An edit whose save failed: the files hold an older course than the
    // window shows until a save succeeds.
    bool HasUnsavedChanges() const { return unsaved; }
    // Saves the course as it is now when the last save failed (the disk may
    // have room again); true when the files hold it.
    bool SaveAgain(QString* problem = nullptr);
    bool IsReadOnly() const { return readOnly; }
    // Why, in a few words for the window's title; empty when writable.
    QString ReadOnlyHint() const;
    // Why no edit can be made now, in words for the teacher; empty when it can.
    QString Writable() const;
    QString Folder() const { return folder; }
    QString SoundFile(const QString& fileName) const;
    const Course& Current() const { return course; }
    const CourseManifest& Manifest() const { return manifest; }
    QUndoStack& UndoStack() { return undo; }

    // The edits. Each returns an empty text when it was done (one undo
    // step), else why not, in words for the teacher; nothing changes then.
    QString AddCategory(const NodePath& parent, int index, const QString& name);
    QString AddTopic(const NodePath& parent, int index, const QString& name);
    // The course's title is one: renaming the top entry (path {}) sets the
    // manifest's title too, and a new title in SetManifest renames it.
    QString RenameNode(const NodePath& path, const QString& name);
    // movedTo, when given, receives the node's path after the move.
    QString MoveNode(const NodePath& from, const NodePath& toParent, int index,
                     NodePath* movedTo = nullptr);
    QString RemoveNode(const NodePath& path);
    // The phrase's file must be in the Sounds folder already.
    QString AddPhrase(const NodePath& category, const CoursePhrase& phrase);
    QString RemovePhrase(const NodePath& category, int index);
    QString SetPhraseText(const NodePath& category, int index, const QString& text,
                          const QString& syllables);
    // index -1: the node's own explanation (the course introduction for
    // node 1, the category's topic otherwise).
    QString SetExplanation(const NodePath& node, int index, const QString& html);
    QString SetManifest(const CourseManifest& next);

    // Where a new phrase of the category goes ("21_04.wav"); empty when the
    // category is full.
    QString NewPhraseFileName(const NodePath& category) const;

    // The path a new node added at (parent, index) gets, for the windows.
    static NodePath ChildPath(const NodePath& parent, int index);

signals:
    // The course changed: an edit, an undo or a redo.
    void Changed();
    // Saving after a change failed; the files keep the last saved course.
    void SaveFailed(const QString& problem);

private:
    struct Snapshot
    {
        Course CourseState;
        CourseManifest ManifestState;
    };
    class Edit;

    QString AddNode(const NodePath& parent, int index, const CourseNode& node, const QString& text);
    QString Push(const QString& text, const Course& next);
    QString Push(const QString& text, const Course& next, const CourseManifest& nextManifest);
    void Apply(const Snapshot& next);
    // Phrase files this session's edits left unlisted: kept only while an
    // undo may list them again.
    QStringList DroppedPhraseFiles() const;
    std::vector<QString> TakenCodes() const;

    QString folder;
    bool readOnly = false;
    bool unsaved = false;
    QString helpLost;    // what a save would lose of a hand-written help document
    QString textTooLong; // where and why a save would have to cut a text of the lists
    // Held while the course is open for changes: a second studio on the same
    // course would overwrite this one's edits with its own at every save.
    std::unique_ptr<QLockFile> editLock;
    QString lockedBy;        // who else has it open, when they do
    QString manifestProblem; // why its manifest cannot be read, when it cannot
    Course course;
    CourseManifest manifest;
    Course saved;                        // the course as the files on disk hold it
    std::set<QString> listedThisSession; // phrase files listed at any time since opening
    QUndoStack undo;
};
