// Sharing a course: the exported archive installs as the same pack, and a
// hostile archive is refused before anything of it lands in the courses
// folder.
#include "course/CourseArchive.h"
#include "course/CourseTestSupport.h"
#include "content/ContentText.h"
#include "authoring/ContentLint.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

namespace {

struct Entry
{
    Entry(QByteArray path, QByteArray bytes = {}, mode_t type = AE_IFREG, QByteArray link = {},
          bool hard = false)
        : Path(std::move(path)), Bytes(std::move(bytes)), Type(type), Link(std::move(link)),
          Hard(hard)
    {
    }
    QByteArray Path;
    QByteArray Bytes;
    mode_t Type;
    QByteArray Link; // symbolic or hard link target
    bool Hard;
};

bool WriteArchive(const QString& path, const std::vector<Entry>& entries, bool zip = true,
                  bool bzip2 = false)
{
    archive* writer = archive_write_new();
    if (zip)
        archive_write_set_format_zip(writer);
    else
        archive_write_set_format_pax_restricted(writer);
    if (bzip2) archive_write_add_filter_bzip2(writer);
    bool ok =
        archive_write_open_filename(writer, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.Path.constData());
        archive_entry_set_filetype(entry, e.Type);
        archive_entry_set_perm(entry, 0644);
        if (!e.Link.isEmpty() && e.Hard)
            archive_entry_set_hardlink(entry, e.Link.constData());
        else if (!e.Link.isEmpty())
            archive_entry_set_symlink(entry, e.Link.constData());
        archive_entry_set_size(entry, e.Type == AE_IFREG && e.Link.isEmpty() ? e.Bytes.size() : 0);
        ok = ok && archive_write_header(writer, entry) == ARCHIVE_OK;
        if (ok && !e.Bytes.isEmpty() && e.Type == AE_IFREG)
            ok = archive_write_data(writer, e.Bytes.constData(), size_t(e.Bytes.size())) ==
                 e.Bytes.size();
        archive_entry_free(entry);
    }
    ok = ok && archive_write_close(writer) == ARCHIVE_OK;
    archive_write_free(writer);
    return ok;
}

const QByteArray Manifest = "Format=1\nTitle=Hostile\nAuthor=Mallory\n";
const QByteArray Tree = "Hostile\r\n*Intro / 10\r\n";

std::vector<Entry> Minimal()
{
    return {
        {"Manifest.txt", Manifest}, {"Sounds/Tree.txt", Tree}, {"Sounds/SentList.txt", "x\r\n"}};
}

// Everything under folder, so that a test can say nothing was left behind.
QStringList Contents(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

class HostileArchive : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString archive = dir.filePath("course.tvcourse");
    QString courses = dir.filePath("home/Courses");

    void ExpectRefused(const std::vector<Entry>& entries, const char* expected,
                       const ArchiveLimits& limits = {}, bool zip = true)
    {
        ASSERT_TRUE(WriteArchive(archive, entries, zip));
        const CourseInstallResult result = InstallCourseArchive(archive, courses, limits);
        EXPECT_FALSE(result.Installed);
        EXPECT_TRUE(result.Problem.contains(expected)) << result.Problem.toStdString();
        EXPECT_TRUE(Contents(courses).isEmpty()) << Contents(courses).join(' ').toStdString();
        EXPECT_TRUE(Contents(dir.filePath("home")).filter("escaped").isEmpty());
    }
};

} // namespace

TEST(CourseArchive, AnExportedCourseInstallsAsTheSamePackAndReplacesItsEarlierVersion)
{
    QTemporaryDir dir;
    const QString pack = dir.filePath("pack");
    WriteSmallCourse(pack);
    QFile::copy(pack + "/Sounds/10_01.wav", pack + "/Sounds/10_77.wav"); // unlisted: stays home
    const QString archive = dir.filePath("Stress.tvcourse");
    QString problem;
    const CourseManifest manifest{"Stress for Beginners", "Ann", "en-GB", "1.0"};
    ASSERT_TRUE(ExportCourseArchive(pack, manifest, archive, &problem)) << problem.toStdString();

    const CourseArchiveListing listing = InspectCourseArchive(archive);
    ASSERT_TRUE(listing.Valid) << listing.Problem.toStdString();
    EXPECT_EQ(listing.Manifest.Language, "en-GB");
    EXPECT_EQ(listing.Files.size(), 1 + 3 + 3); // manifest, tree, list, help, three phrases
    EXPECT_FALSE(listing.Files.contains("Sounds/10_77.wav"));

    const QString courses = dir.filePath("Courses");
    const CourseInstallResult first = InstallCourseArchive(archive, courses);
    ASSERT_TRUE(first.Installed) << first.Problem.toStdString();
    EXPECT_EQ(first.Folder, courses + "/stress-for-beginners");
    for (const QString& file : listing.Files) {
        QByteArray a, b;
        if (file == ManifestFileName) continue;
        ReadWholeFile(pack + "/" + file, a);
        ReadWholeFile(first.Folder + "/" + file, b);
        EXPECT_EQ(a, b) << file.toStdString();
    }
    for (const LintFinding& finding : LintContent(first.Folder))
        EXPECT_NE(finding.Severity, LintSeverity::Error)
            << FormatLintFinding(finding).toStdString();

    // The same course again replaces it; another author's course of the
    // same title gets a folder of its own.
    const CourseInstallResult again = InstallCourseArchive(archive, courses);
    ASSERT_TRUE(again.Installed);
    EXPECT_TRUE(again.Replaced);
    EXPECT_EQ(again.Folder, first.Folder);
    ASSERT_TRUE(ExportCourseArchive(pack, {"Stress for Beginners", "Bob", "en", "2"}, archive));
    const CourseInstallResult other = InstallCourseArchive(archive, courses);
    ASSERT_TRUE(other.Installed);
    EXPECT_EQ(other.Folder, courses + "/stress-for-beginners-2");
    EXPECT_EQ(
        QDir(courses).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

TEST(CourseArchive, InstalledCoursesAreKnownByTheirIdentityAndReadableByEveryLearner)
{
    QTemporaryDir dir;
    const QString pack = dir.filePath("pack");
    WriteSmallCourse(pack);
    const QString courses = dir.filePath("Courses");
    const auto install = [&](const CourseManifest& manifest) {
        const QString archive = dir.filePath("course.tvcourse");
        QFile::remove(archive);
        EXPECT_TRUE(ExportCourseArchive(pack, manifest, archive));
        return InstallCourseArchive(archive, courses);
    };
    CourseManifest a{"English", "", "en", "1"};
    a.Id = "a";
    CourseManifest b = a;
    b.Id = "b";
    const CourseInstallResult first = install(a);
    ASSERT_TRUE(first.Installed) << first.Problem.toStdString();
    // Another teacher's course of the same title and no author.
    const CourseInstallResult other = install(b);
    ASSERT_TRUE(other.Installed);
    EXPECT_FALSE(other.Replaced);
    EXPECT_NE(other.Folder, first.Folder);
    // A later version whose title was corrected replaces the first in its folder.
    a.Title = "English for Adults";
    const CourseInstallResult corrected = install(a);
    ASSERT_TRUE(corrected.Installed);
    EXPECT_TRUE(corrected.Replaced);
    EXPECT_EQ(corrected.Folder, first.Folder);

    ASSERT_TRUE(QDir(courses).mkdir("made-here"));
    EXPECT_EQ(QFileInfo(first.Folder).permissions(),
              QFileInfo(QDir(courses).filePath("made-here")).permissions());
}

// A course's identity can be copied into any archive: one by another
// author, or an older version, does not take the installed course's place.
TEST(CourseArchive, ACopiedIdentityReplacesACourseOnlyWithItsOwnAuthorsNewerVersion)
{
    QTemporaryDir dir;
    const QString pack = dir.filePath("pack");
    WriteSmallCourse(pack);
    const QString courses = dir.filePath("Courses");
    const auto install = [&](const QString& author, const QString& version) {
        CourseManifest manifest{"Stress for Beginners", author, "en", version};
        manifest.Id = "x";
        if (author != "Ann") manifest.Title = "Free Pronunciation Pack";
        const QString archive = dir.filePath("course.tvcourse");
        QFile::remove(archive);
        EXPECT_TRUE(ExportCourseArchive(pack, manifest, archive));
        return InstallCourseArchive(archive, courses);
    };
    const auto installedAuthorAndVersion = [&](const QString& folder) {
        QByteArray bytes;
        ReadWholeFile(folder + "/Manifest.txt", bytes);
        const std::optional<CourseManifest> manifest = ParseCourseManifest(bytes);
        return manifest ? manifest->Author + " " + manifest->Version : QString();
    };
    const CourseInstallResult first = install("Ann", "2.0");
    ASSERT_TRUE(first.Installed) << first.Problem.toStdString();

    const CourseInstallResult stranger = install("Somebody Else", "9.0");
    EXPECT_FALSE(stranger.Installed);
    EXPECT_TRUE(stranger.Problem.contains("\"Stress for Beginners\" by Ann"))
        << stranger.Problem.toStdString();
    const CourseInstallResult older = install("Ann", "1.5");
    EXPECT_FALSE(older.Installed);
    EXPECT_TRUE(older.Problem.contains("older")) << older.Problem.toStdString();
    EXPECT_EQ(installedAuthorAndVersion(first.Folder), "Ann 2.0");

    for (const char* version : {"2.0", "2.1"}) {
        const CourseInstallResult update = install("Ann", version);
        EXPECT_TRUE(update.Installed && update.Replaced) << update.Problem.toStdString();
        EXPECT_EQ(installedAuthorAndVersion(first.Folder), QString("Ann ") + version);
    }
    EXPECT_EQ(QDir(courses).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"stress-for-beginners"});
}

TEST(CourseArchive, AnExplanationsPictureThatCannotBeSharedIsRefusedNotLeftOut)
{
    QTemporaryDir dir;
    const QString pack = dir.filePath("pack");
    WriteSmallCourse(pack);
    const QString help = pack + "/" + HelpFileName;
    QByteArray body;
    ASSERT_TRUE(ReadWholeFile(help, body));
    QDir(pack).mkpath("Help/maps");
    for (const char* name : {"Help/mouth.png", "Help/maps/tongue.png", "Help/Lip Shape.PNG"}) {
        QFile picture(pack + "/" + name);
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        picture.write("\x89PNG");
    }
    const auto exportWith = [&](const QByteArray& pictures, QString* problem) {
        WriteFileAtomically(help, body + pictures);
        return ExportCourseArchive(pack, {"Course", "", "en", "1"}, dir.filePath("c.tvcourse"),
                                   problem);
    };
    QString problem;
    EXPECT_TRUE(exportWith("<img src=\"mouth.png\"><img src='gone.png'>"
                           "<img src=\"https://example.org/x.png\">",
                           &problem))
        << problem.toStdString();
    EXPECT_TRUE(InspectCourseArchive(dir.filePath("c.tvcourse")).Files.contains("Help/mouth.png"));
    EXPECT_FALSE(exportWith("<IMG width=3 SRC=maps/tongue.png>", &problem));
    EXPECT_TRUE(problem.contains("Help/maps/tongue.png")) << problem.toStdString();
    EXPECT_FALSE(exportWith("<img src=\"Lip%20Shape.PNG\">", &problem));
    EXPECT_TRUE(problem.contains("Help/Lip Shape.PNG")) << problem.toStdString();
}

TEST_F(HostileArchive, PathsLeavingTheCourseFolderAreRefused)
{
    for (const QByteArray& path :
         {QByteArray("../escaped.txt"), QByteArray("Sounds/../../escaped"),
          QByteArray("/tmp/escaped.wav"), QByteArray("Help/../../x.png")}) {
        std::vector<Entry> entries = Minimal();
        entries.push_back({path, "boo"});
        ExpectRefused(entries, "no part of a course");
    }
}

TEST_F(HostileArchive, LinksDevicesAndForeignFilesAreRefused)
{
    std::vector<Entry> symlink = Minimal();
    symlink.push_back({"Sounds/10_01.wav", {}, AE_IFLNK, "/etc/passwd"});
    ExpectRefused(symlink, "is a link", {}, false);

    std::vector<Entry> hardlink = Minimal();
    hardlink.push_back({"Help/TVTutor.hlp", {}, AE_IFREG, "Sounds/Tree.txt", true});
    ExpectRefused(hardlink, "is a link", {}, false);

    std::vector<Entry> fifo = Minimal();
    fifo.push_back({"Sounds/10_01.wav", {}, AE_IFIFO});
    ExpectRefused(fifo, "not a plain file", {}, false);

    std::vector<Entry> program = Minimal();
    program.push_back({"Sounds/run.sh", "#!/bin/sh\nrm -rf ~\n"});
    ExpectRefused(program, "no part of a course");

    std::vector<Entry> twice = Minimal();
    twice.push_back({"sounds/tree.txt", Tree});
    ExpectRefused(twice, "no part of a course");
    twice.back().Path = "Sounds/Tree.txt";
    ExpectRefused(twice, "appears twice", {}, false);
}

TEST_F(HostileArchive, ACompressionBombIsStoppedByTheBytesReallyUnpacked)
{
    // 24 MB of zeros pack into some 25 kB: far more than a course unpacks to.
    std::vector<Entry> bomb = Minimal();
    bomb.push_back({"Sounds/10_01.wav", QByteArray(24 << 20, '\0')});
    ExpectRefused(bomb, "compression bomb");
    // A file over its own limit, with room in the total.
    ArchiveLimits limits;
    limits.MaxRatio = 100000;
    bomb.back().Bytes = QByteArray(40 << 20, '\0');
    ExpectRefused(bomb, "larger than a course file may be", limits);
}

// Listing a compressed tar unpacks every entry it passes over, so the
// listing counts those bytes too: a few kB of zeros once kept the installer
// busy for as long as they took to unpack, before a byte was checked.
TEST_F(HostileArchive, ABombIsStoppedWhileTheArchiveIsStillBeingListed)
{
    const QByteArray zeros(2 << 20, '\0'); // shared by every entry
    std::vector<Entry> bomb = Minimal();
    for (int i = 0; i < 20; ++i)
        bomb.push_back({"Sounds/b" + QByteArray::number(i) + ".wav", zeros});
    ASSERT_TRUE(WriteArchive(archive, bomb, false, true));
    ArchiveLimits limits;
    limits.MaxTotalBytes = 1 << 20;
    const CourseArchiveListing listing = InspectCourseArchive(archive, limits);
    EXPECT_FALSE(listing.Valid);
    EXPECT_TRUE(listing.Problem.contains("compression bomb")) << listing.Problem.toStdString();
    EXPECT_FALSE(InstallCourseArchive(archive, courses, limits).Installed);
    EXPECT_TRUE(Contents(courses).isEmpty());
}

TEST_F(HostileArchive, ArchivesThatAreNoCourseAreRefused)
{
    ExpectRefused({{"Sounds/Tree.txt", Tree}}, "no manifest");
    ExpectRefused({{"Manifest.txt", "Title=x\n"}, {"Sounds/Tree.txt", Tree}}, "format");
    ExpectRefused({{"Manifest.txt", "Format=2\nTitle=x\n"}, {"Sounds/Tree.txt", Tree}}, "format");
    ExpectRefused({{"Manifest.txt", Manifest}, {"Sounds/Tree.txt", "Only a root\r\n"}},
                  "no lessons");
    std::vector<Entry> badPhrase = Minimal();
    badPhrase.push_back({"Sounds/10_01.wav", "RIFF\x04\0\0\0WAVE"});
    ExpectRefused(badPhrase, "not a phrase file");

    ASSERT_TRUE(WriteBytes(archive, "PK\x03\x04 this is not really a zip file at all"));
    EXPECT_FALSE(InstallCourseArchive(archive, courses).Installed);
    EXPECT_TRUE(Contents(courses).isEmpty());
}

TEST_F(HostileArchive, ADiskOutOfRoomInstallsNothing)
{
    // Every file fits the limit but the phrase list, which is written whole
    // only when its last bytes reach the disk.
    std::vector<Entry> entries = Minimal();
    entries[2].Bytes = QByteArray("10_01.wav;Hello there\r\n").repeated(200);
    ASSERT_TRUE(WriteArchive(archive, entries));
    CourseInstallResult result;
    {
        FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.Applied());
        result = InstallCourseArchive(archive, courses);
    }
    EXPECT_FALSE(result.Installed);
    EXPECT_TRUE(result.Problem.contains("cannot write")) << result.Problem.toStdString();
    EXPECT_TRUE(Contents(courses).isEmpty()) << Contents(courses).join(' ').toStdString();
}
