#include "course/CourseArchive.h"

#include "audio/LoadedPhrase.h"
#include "content/ContentText.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"
#include "course/CoursePack.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QVersionNumber>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <set>

namespace {

constexpr int64_t BlockBytes = 64 * 1024;

struct ArchiveDeleter
{
    void operator()(archive* a) const { archive_read_free(a); }
};
struct WriterDeleter
{
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter
{
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};
using ArchiveReader = std::unique_ptr<archive, ArchiveDeleter>;

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

bool IsSoundPath(const QString& path)
{
    return path.startsWith("Sounds/") && path.endsWith(".wav", Qt::CaseInsensitive);
}

int64_t LimitOf(const QString& path, const ArchiveLimits& limits)
{
    return IsSoundPath(path) ? limits.MaxSoundBytes : limits.MaxTextBytes;
}

ArchiveReader OpenArchive(const QString& path, QString* problem)
{
    ArchiveReader reader(archive_read_new());
    archive_read_support_format_zip_seekable(reader.get());
    archive_read_support_format_tar(reader.get());
    archive_read_support_filter_gzip(reader.get());
    archive_read_support_filter_xz(reader.get());
    archive_read_support_filter_bzip2(reader.get());
    if (archive_read_open_filename(reader.get(), QFile::encodeName(path).constData(), BlockBytes) !=
        ARCHIVE_OK) {
        Refuse(problem, QString("%1 is not a course archive (%2)")
                            .arg(QFileInfo(path).fileName(),
                                 QString::fromLocal8Bit(archive_error_string(reader.get()))));
        return nullptr;
    }
    return reader;
}

// One entry's name as the course's path: "./" and a trailing "/" dropped.
QString EntryPath(archive_entry* entry)
{
    const char* utf8 = archive_entry_pathname_utf8(entry);
    QString path = utf8 != nullptr ? QString::fromUtf8(utf8) : QString();
    while (path.startsWith("./"))
        path.remove(0, 2);
    return path;
}

// Checks one entry's kind, name and declared size; folders are returned as
// such (they hold nothing of their own).
bool CheckEntry(archive_entry* entry, const ArchiveLimits& limits, std::set<QString>& seen,
                bool& isFolder, QString& path, QString* problem)
{
    path = EntryPath(entry);
    const QString shown = path.isEmpty() ? QString("an entry without a usable name") : path;
    if (archive_entry_symlink(entry) != nullptr || archive_entry_hardlink(entry) != nullptr)
        return Refuse(problem, QString("%1 is a link; a course holds plain files only").arg(shown));
    const mode_t type = archive_entry_filetype(entry);
    isFolder = type == AE_IFDIR;
    if (isFolder) {
        while (path.endsWith('/'))
            path.chop(1);
        if (path == "Sounds" || path == "Help") return true;
        return Refuse(problem, QString("the folder %1 is no part of a course").arg(shown));
    }
    if (type != AE_IFREG) return Refuse(problem, QString("%1 is not a plain file").arg(shown));
    if (!IsCourseArchivePath(path))
        return Refuse(problem, QString("%1 is no part of a course: a course holds its manifest, "
                                       "Sounds/Tree.txt, Sounds/SentList.txt, phrase files "
                                       "(.wav) and its help document with pictures")
                                   .arg(shown));
    if (!seen.insert(path.toLower()).second)
        return Refuse(problem, QString("%1 appears twice").arg(shown));
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > LimitOf(path, limits))
        return Refuse(problem, QString("%1 is larger than a course file may be").arg(shown));
    return true;
}

// Reads the rest of the current entry into sink (or nowhere), counting the
// bytes that really come out against the limits.
struct Counter
{
    int64_t Total = 0;
    int64_t Budget = 0; // what the whole archive may unpack to
};

bool ReadEntryData(archive* reader, const QString& path, const ArchiveLimits& limits,
                   Counter& counter, QIODevice* sink, QByteArray* keep, QString* problem)
{
    QByteArray block(BlockBytes, Qt::Uninitialized);
    int64_t bytes = 0;
    for (;;) {
        const la_ssize_t got = archive_read_data(reader, block.data(), block.size());
        if (got < 0)
            return Refuse(problem,
                          QString("%1 cannot be unpacked (%2)")
                              .arg(path, QString::fromLocal8Bit(archive_error_string(reader))));
        if (got == 0) return true;
        bytes += got;
        counter.Total += got;
        if (bytes > LimitOf(path, limits))
            return Refuse(problem, QString("%1 is larger than a course file may be").arg(path));
        if (counter.Total > counter.Budget)
            return Refuse(problem, "the archive unpacks to far more than it holds: refused as "
                                   "a compression bomb, or a course too large to install");
        if (sink != nullptr && sink->write(block.constData(), got) != got)
            return Refuse(problem, QString("cannot write %1").arg(path));
        if (keep != nullptr) keep->append(block.constData(), got);
    }
}

int64_t BudgetFor(const QString& archivePath, const ArchiveLimits& limits)
{
    const int64_t size = QFileInfo(archivePath).size();
    return std::min(limits.MaxTotalBytes, limits.FreeBytes + size * limits.MaxRatio);
}

// Walks every entry; with target set, unpacks the files into it.
bool WalkArchive(const QString& archivePath, const ArchiveLimits& limits, const QDir* target,
                 CourseArchiveListing& listing)
{
    QString* problem = &listing.Problem;
    ArchiveReader reader = OpenArchive(archivePath, problem);
    if (!reader) return false;
    std::set<QString> seen;
    Counter counter{0, BudgetFor(archivePath, limits)};
    QByteArray manifestBytes;
    int64_t entries = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        if (++entries > limits.MaxEntries)
            return Refuse(problem, "the archive holds too many files for a course");
        bool isFolder = false;
        QString path;
        if (!CheckEntry(entry, limits, seen, isFolder, path, problem)) return false;
        if (isFolder) continue;
        listing.Files << path;
        QByteArray* keep = path == ManifestFileName ? &manifestBytes : nullptr;
        if (target == nullptr) {
            // Only the manifest is kept while listing, but every entry's data
            // is read through the count: skipping an entry of a compressed
            // tar unpacks it all the same, and without the count a small
            // archive of zeros would keep the installer busy for hours.
            if (!ReadEntryData(reader.get(), path, limits, counter, nullptr, keep, problem))
                return false;
            continue;
        }
        if (!target->mkpath(QFileInfo(path).path()))
            return Refuse(problem, QString("cannot create the folder of %1").arg(path));
        QFile file(target->filePath(path));
        // New files only: the folder is fresh, so an existing name means the
        // archive tried to write a file twice.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return Refuse(problem, QString("cannot write %1").arg(path));
        if (!ReadEntryData(reader.get(), path, limits, counter, &file, keep, problem)) return false;
        // The last bytes are still buffered; closing would not say that they
        // found no room.
        if (!file.flush()) return Refuse(problem, QString("cannot write %1").arg(path));
        file.close();
    }
    if (status != ARCHIVE_EOF)
        return Refuse(problem,
                      QString("the archive is damaged (%1)")
                          .arg(QString::fromLocal8Bit(archive_error_string(reader.get()))));
    if (!listing.Files.contains(ManifestFileName))
        return Refuse(problem, "the archive holds no manifest: it is no shared course");
    if (!listing.Files.contains(TreeFileName))
        return Refuse(problem, "the archive holds no lesson tree (Sounds/Tree.txt)");
    std::optional<CourseManifest> manifest = ParseCourseManifest(manifestBytes, problem);
    if (!manifest) return false;
    listing.Manifest = *manifest;
    return true;
}

// The unpacked pack reads as the tutor will read it.
bool CheckUnpackedPack(const QDir& folder, const QStringList& files, QString* problem)
{
    QByteArray tree;
    std::vector<LessonNode> nodes;
    int32_t last = -1;
    if (!ReadWholeFile(folder.filePath(TreeFileName), tree))
        return Refuse(problem, "the lesson tree cannot be read");
    ParseLessonTree(tree, nodes, last);
    if (nodes.size() < 2) return Refuse(problem, "the lesson tree holds no lessons");
    for (const QString& file : files) {
        if (!IsSoundPath(file)) continue;
        LoadedPhrase phrase;
        if (phrase.Read(folder.filePath(file)) != PhraseFileOk)
            return Refuse(problem, QString("%1 is not a phrase file the tutor can play").arg(file));
    }
    return true;
}

QString FolderNameFor(const QString& title)
{
    QString name;
    for (QChar c : title.toLower()) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            name += c;
        else if (!name.endsWith('-'))
            name += '-';
    }
    name = name.left(40);
    while (name.startsWith('-'))
        name.remove(0, 1);
    while (name.endsWith('-'))
        name.chop(1);
    return name.isEmpty() ? QString("course") : name;
}

std::optional<CourseManifest> InstalledManifest(const QString& folder)
{
    QByteArray bytes;
    if (!ReadWholeFile(QDir(folder).filePath(ManifestFileName), bytes)) return std::nullopt;
    return ParseCourseManifest(bytes);
}

// Why incoming, of the same identity as the installed course, may not
// replace it; empty when it may. The identity is plain text in every shared
// course file, so anyone could give another course the same one: an archive
// by another author, or an older version, does not silently take the
// course's place (and the learner's history of it). The studio leaves the
// version number to the teacher, so an equal one is a new export.
QString ReplacementRefused(const CourseManifest& installed, const CourseManifest& incoming)
{
    const QString named = QString("the installed course \"%1\" by %2")
                              .arg(installed.Title, installed.Author.isEmpty() ? "no named author"
                                                                               : installed.Author);
    if (installed.Author != incoming.Author)
        return QString("this archive has the identity of %1, but is by %2: it is not "
                       "installed over it")
            .arg(named, incoming.Author.isEmpty() ? "no named author" : incoming.Author);
    const QVersionNumber have = QVersionNumber::fromString(installed.Version);
    const QVersionNumber offered = QVersionNumber::fromString(incoming.Version);
    if (!have.isNull() && !offered.isNull() && offered < have)
        return QString("this archive is version %1 of %2, which is at version %3: an older "
                       "version is not installed over a newer one")
            .arg(incoming.Version, named, installed.Version);
    return {};
}

// The folder of an installed course of the same identity, whatever its
// title was: a version whose title was corrected replaces it in its folder,
// where the learner's history of it is kept.
QString InstalledFolderOf(const QString& coursesFolder, const CourseManifest& manifest)
{
    if (manifest.Id.isEmpty()) return {};
    const QFileInfoList folders =
        QDir(coursesFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& folder : folders) {
        if (folder.isSymLink() || folder.fileName().startsWith('.')) continue;
        QByteArray bytes;
        if (!ReadWholeFile(QDir(folder.filePath()).filePath(ManifestFileName), bytes)) continue;
        const std::optional<CourseManifest> installed = ParseCourseManifest(bytes);
        if (installed && installed->Id == manifest.Id) return folder.fileName();
    }
    return {};
}

// Puts the unpacked folder in place: a new name, or over the same course
// by two renames, so a learner's tutor never meets half a course.
bool MoveIntoPlace(const QString& unpacked, const QString& coursesFolder,
                   CourseInstallResult& result)
{
    const QDir courses(coursesFolder);
    const QString base = FolderNameFor(result.Manifest.Title);
    const QString same = InstalledFolderOf(coursesFolder, result.Manifest);
    for (int n = 0; n < 1000; ++n) {
        if (n == 0 && same.isEmpty()) continue;
        const QString name = n == 0   ? same
                             : n == 1 ? base
                                      : QString("%1-%2").arg(base, QString::number(n));
        const QString target = courses.filePath(name);
        const QFileInfo info(target);
        if (!info.exists() && !info.isSymLink()) {
            if (!QDir().rename(unpacked, target))
                return Refuse(&result.Problem, QString("cannot create %1").arg(target));
            result.Folder = target;
            return true;
        }
        if (info.isSymLink() || !info.isDir()) continue;
        const std::optional<CourseManifest> installed = InstalledManifest(target);
        if (!installed || !SameCourseIdentity(*installed, result.Manifest)) continue;
        if (const QString why = ReplacementRefused(*installed, result.Manifest); !why.isEmpty())
            return Refuse(&result.Problem, why);
        const QString old = courses.filePath("." + name + ".old");
        QDir(old).removeRecursively();
        if (!QDir().rename(target, old))
            return Refuse(&result.Problem, QString("cannot replace %1").arg(target));
        if (!QDir().rename(unpacked, target)) {
            QDir().rename(old, target);
            return Refuse(&result.Problem, QString("cannot replace %1").arg(target));
        }
        QDir(old).removeRecursively();
        result.Folder = target;
        result.Replaced = true;
        return true;
    }
    return Refuse(&result.Problem, "too many courses of this title");
}

bool AddFile(archive* writer, const QString& source, const QString& name, QString* problem)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse(problem, QString("%1 cannot be read").arg(name));
    const QByteArray bytes = file.readAll();
    std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), bytes.size());
    archive_entry_set_mtime(entry.get(), QFileInfo(file).lastModified().toSecsSinceEpoch(), 0);
    if (archive_write_header(writer, entry.get()) != ARCHIVE_OK ||
        archive_write_data(writer, bytes.constData(), size_t(bytes.size())) != bytes.size())
        return Refuse(problem,
                      QString("cannot add %1 to the archive: %2")
                          .arg(name, QString::fromLocal8Bit(archive_error_string(writer))));
    return true;
}

// The pictures the help document shows from the course folder, as paths
// from the pack's top ("Help/map.png", or wherever in the folder they lie).
QStringList PicturesShown(const QDir& pack)
{
    QByteArray help;
    ReadWholeFile(pack.filePath(HelpFileName), help);
    static const QRegularExpression image(
        "<img\\b[^>]*?\\bsrc\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))",
        QRegularExpression::CaseInsensitiveOption);
    QStringList shown;
    for (const QRegularExpressionMatch& match : image.globalMatch(DecodeContentText(help))) {
        QString source = match.captured(1) + match.captured(2) + match.captured(3);
        source.replace("&amp;", "&");
        // Only what the help window shows: a path inside the course folder.
        const QUrl url(source);
        const QString path = url.path();
        if (!url.scheme().isEmpty() || !url.host().isEmpty() || path.isEmpty() ||
            QDir::isAbsolutePath(path))
            continue;
        const QString inPack =
            pack.relativeFilePath(QDir::cleanPath(QDir(pack.filePath("Help")).filePath(path)));
        if (inPack.startsWith("..")) continue;
        if (!shown.contains(inPack)) shown << inPack;
    }
    return shown;
}

// The files of a pack that go into its archive, checked.
bool PackFiles(const QDir& pack, QStringList& files, QString* problem)
{
    files = {TreeFileName, PhraseListFileName, HelpFileName};
    for (const QString& file : files) {
        if (!QFileInfo(pack.filePath(file)).isFile())
            return Refuse(problem, QString("%1 is missing").arg(file));
    }
    QByteArray list;
    ReadWholeFile(pack.filePath(PhraseListFileName), list);
    for (QByteArrayView line : SplitContentLines(list)) {
        if (!PhraseLineMatches(line, {})) continue;
        const QString name =
            "Sounds/" + QString::fromUtf8(TrimBlanks(line.first(line.indexOf(';'))).toByteArray());
        if (!IsCourseArchivePath(name))
            return Refuse(problem, QString("%1 cannot be shared: a phrase file's name holds "
                                           "letters, digits, '_', '-' and '.' only")
                                       .arg(name));
        if (!QFileInfo(pack.filePath(name)).isFile())
            return Refuse(problem, QString("%1 is listed but missing").arg(name));
        if (!files.contains(name)) files << name;
    }
    for (const QString& picture :
         QDir(pack.filePath("Help"))
             .entryList({"*.png", "*.jpg", "*.jpeg", "*.gif"}, QDir::Files)) {
        if (IsCourseArchivePath("Help/" + picture)) files << "Help/" + picture;
    }
    // A picture the teacher sees in an explanation and the learners would
    // not get is refused here, not left out without a word.
    for (const QString& picture : PicturesShown(pack)) {
        // A missing one is missing for the teacher too (the check says so).
        if (files.contains(picture) || !QFileInfo(pack.filePath(picture)).isFile()) continue;
        return Refuse(problem,
                      QString("%1 cannot be shared: an explanation's picture lies in Help/ "
                              "and its name holds letters, digits, '_', '-' and '.' only and "
                              "ends in .png, .jpg, .jpeg or .gif")
                          .arg(picture));
    }
    return true;
}

} // namespace

bool IsCourseArchivePath(const QString& path)
{
    static const QRegularExpression allowed(
        "^(Manifest\\.txt|Sounds/Tree\\.txt|Sounds/SentList\\.txt|Help/TVTutor\\.hlp|"
        "Sounds/[A-Za-z0-9_-][A-Za-z0-9_.-]{0,123}\\.[wW][aA][vV]|"
        "Help/[A-Za-z0-9_-][A-Za-z0-9_.-]{0,123}\\.(png|jpg|jpeg|gif))$");
    return allowed.match(path).hasMatch() && !path.contains("..");
}

bool ExportCourseArchive(const QString& packFolder, const CourseManifest& manifest,
                         const QString& archivePath, QString* problem)
{
    const QDir pack(packFolder);
    QStringList files;
    if (!PackFiles(pack, files, problem)) return false;
    QSaveFile out(archivePath);
    if (!out.open(QIODevice::WriteOnly))
        return Refuse(problem, QString("cannot write %1: %2").arg(archivePath, out.errorString()));
    std::unique_ptr<archive, WriterDeleter> writer(archive_write_new());
    archive_write_set_format_zip(writer.get());
    archive_write_set_options(writer.get(), "zip:compression=deflate");
    if (archive_write_open_fd(writer.get(), out.handle()) != ARCHIVE_OK)
        return Refuse(problem, QString("cannot write %1").arg(archivePath));

    // The manifest first: a reader that lists the archive meets it at once.
    const QByteArray manifestText = CourseManifestText(manifest);
    std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), ManifestFileName.toUtf8().constData());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), manifestText.size());
    if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK ||
        archive_write_data(writer.get(), manifestText.constData(), size_t(manifestText.size())) !=
            manifestText.size())
        return Refuse(problem, QString("cannot write %1").arg(archivePath));
    for (const QString& file : files) {
        if (!AddFile(writer.get(), pack.filePath(file), file, problem)) return false;
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK || !CommitSaveFile(out))
        return Refuse(problem, QString("cannot write %1").arg(archivePath));
    return true;
}

CourseArchiveListing InspectCourseArchive(const QString& archivePath, const ArchiveLimits& limits)
{
    CourseArchiveListing listing;
    listing.Valid = WalkArchive(archivePath, limits, nullptr, listing);
    return listing;
}

CourseInstallResult InstallCourseArchive(const QString& archivePath, const QString& coursesFolder,
                                         const ArchiveLimits& limits)
{
    CourseInstallResult result;
    CourseArchiveListing listing = InspectCourseArchive(archivePath, limits);
    if (!listing.Valid) {
        result.Problem = listing.Problem;
        return result;
    }
    if (!QDir().mkpath(coursesFolder)) {
        result.Problem = QString("cannot create %1").arg(coursesFolder);
        return result;
    }
    // Unpacked beside its final place (one file system, so the rename is
    // one step) under a hidden name that no course folder can have.
    QTemporaryDir unpacked(QDir(coursesFolder).filePath(".install-XXXXXX"));
    if (!unpacked.isValid()) {
        result.Problem = QString("cannot write into %1").arg(coursesFolder);
        return result;
    }
    CourseArchiveListing unpackedListing;
    const QDir target(unpacked.path());
    if (!WalkArchive(archivePath, limits, &target, unpackedListing)) {
        result.Problem = unpackedListing.Problem;
        return result;
    }
    result.Manifest = unpackedListing.Manifest;
    if (!CheckUnpackedPack(target, unpackedListing.Files, &result.Problem)) return result;
    // The temporary folder is the installer's alone; the course must be as
    // readable as any folder made here, for every learner of a shared
    // installation. Its Sounds folder was made under the same umask.
    QFile::setPermissions(unpacked.path(),
                          QFileInfo(target.filePath("Sounds")).permissions());
    if (!MoveIntoPlace(unpacked.path(), coursesFolder, result)) return result;
    unpacked.setAutoRemove(false);
    result.Installed = true;
    return result;
}
