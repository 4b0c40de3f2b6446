#include "audio/RiffFile.h"

#include "support/PhraseFileBytes.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace testbytes;

namespace {

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(RiffFileWalking, FindsChunksForwardOverOddChunksAndTheirPadBytes)
{
    const QByteArray bytes = Riff(Chunk("odd1", "abc") + Chunk("LIST", "INFOxy") +
                                  Chunk("want", "12345"));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RiffReader riff(buffer);
    ASSERT_TRUE(riff.Open());
    RiffChunk outer, chunk;
    ASSERT_TRUE(riff.DescendOuter(outer));
    EXPECT_EQ(outer.FormType, FourCC("WAVE"));
    ASSERT_TRUE(riff.FindChunk(FourCC("want"), chunk));
    EXPECT_EQ(chunk.Size, 5u);
    EXPECT_EQ(chunk.DataOffset, 12 + 12 + 14 + 8);
    char data[5];
    ASSERT_EQ(riff.Read(data, 5), 5);
    EXPECT_EQ(QByteArray(data, 5), "12345");
    // Searches never look back: only a seek to the top finds "odd1" again.
    RiffChunk again;
    EXPECT_FALSE(riff.FindChunk(FourCC("odd1"), again));
    ASSERT_TRUE(riff.SeekToFirstSubChunk(outer));
    EXPECT_TRUE(riff.FindChunk(FourCC("odd1"), again));
}

TEST(RiffFileWalking, ChunkClaimingMoreThanTheFileIsCaughtBeforeReading)
{
    const QByteArray bytes = Riff(ChunkHeader("data", 0x7FFFFFF0) + "only a few bytes");
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RiffReader riff(buffer);
    ASSERT_TRUE(riff.Open());
    RiffChunk outer, chunk;
    ASSERT_TRUE(riff.DescendOuter(outer));
    ASSERT_TRUE(riff.FindChunk(FourCC("data"), chunk));
    EXPECT_FALSE(riff.FitsInFile(chunk));
    EXPECT_FALSE(riff.Ascend(chunk));
    QByteArray data;
    EXPECT_FALSE(riff.ReadChunkData(chunk, data));
    EXPECT_TRUE(data.isEmpty());
    // A plain read stops at the end of the file.
    char few[64];
    EXPECT_EQ(riff.Read(few, sizeof few), 16);
}

TEST(RiffFileWalking, SearchEndsAtTheEndOfTheFileWhateverTheSizesSay)
{
    // A chunk whose size jumps past the end hides everything after it; a
    // size of 0xFFFFFFFF must not wrap the search around.
    const QByteArray bytes = Riff(ChunkHeader("big ", 0xFFFFFFFF) + Chunk("want", "ab"));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RiffReader riff(buffer);
    ASSERT_TRUE(riff.Open());
    RiffChunk outer, chunk;
    ASSERT_TRUE(riff.DescendOuter(outer));
    EXPECT_FALSE(riff.FindChunk(FourCC("want"), chunk));
}

TEST(RiffFileWalking, ListsEverySubChunkWithItsDataOffset)
{
    Scratch scratch;
    const QString path =
        scratch.Write(Riff(Chunk("fmt ", FormatData()) + Chunk("LIST", "INFOab") +
                           Chunk("snt ", "xyz") + Chunk("data", "12"), "WAVE") +
                      QByteArray(2, '\0'));
    RiffReader reader(path);
    ASSERT_TRUE(reader.Open());
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    ASSERT_TRUE(ListRiffChunks(reader, outer, chunks));
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(FourCCText(chunks[1].Id), "LIST");
    EXPECT_EQ(chunks[1].FormType, FourCC("INFO"));
    EXPECT_EQ(chunks[2].Size, 3u);
    EXPECT_EQ(chunks[2].DataOffset, 12 + 24 + 14 + 8);
    EXPECT_EQ(chunks[3].DataOffset, 12 + 24 + 14 + 12 + 8);
}

TEST(RiffFileWalking, ListingReportsAChunkRunningPastTheEnd)
{
    Scratch scratch;
    const QString path = scratch.Write(Riff(Chunk("fmt ", FormatData()) + ChunkHeader("data", 100)));
    RiffReader reader(path);
    ASSERT_TRUE(reader.Open());
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    EXPECT_FALSE(ListRiffChunks(reader, outer, chunks));
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].Id, FourCC("fmt "));
}

TEST(RiffFileWriting, WritesSizesAndPadBytesForOddChunks)
{
    Scratch scratch;
    const QString path = scratch.Path("out.wav");
    RiffWriter writer(path);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.CreateRiff(FourCC("WAVE")));
    ASSERT_TRUE(writer.WriteChunk(FourCC("one "), "abc"));
    ASSERT_TRUE(writer.CreateChunk(FourCC("LIST")));
    ASSERT_TRUE(writer.Write(QByteArray("INFO")));
    ASSERT_TRUE(writer.WriteChunk(FourCC("in  "), "x"));
    ASSERT_TRUE(writer.LeaveChunk());
    ASSERT_TRUE(writer.LeaveChunk());
    ASSERT_TRUE(writer.Commit());
    // The nested chunk's pad byte counts in the LIST size, the LIST is even.
    const QByteArray expected =
        Riff(Chunk("one ", "abc") + Chunk("LIST", "INFO" + Chunk("in  ", "x")));
    EXPECT_EQ(FileBytes(path), expected);
    EXPECT_EQ(FolderEntries(scratch.Folder()), QStringList{"out.wav"});
}

TEST(RiffFileWriting, BuildsBesideTheTargetAndReplacesItOnlyOnCommit)
{
    Scratch scratch;
    const QString path = scratch.Write("old contents", "out.wav");
    {
        RiffWriter writer(path);
        ASSERT_TRUE(writer.Open());
        EXPECT_TRUE(writer.TemporaryPath().startsWith(path + "."));
        EXPECT_TRUE(writer.TemporaryPath().endsWith(".tmp"));
        ASSERT_TRUE(writer.CreateRiff(FourCC("WAVE")));
        ASSERT_TRUE(writer.WriteChunk(FourCC("data"), "new"));
        EXPECT_TRUE(QFile::exists(writer.TemporaryPath()));
        EXPECT_EQ(FileBytes(path), "old contents");
        // Left without commit, as when a writer gives up half way.
    }
    EXPECT_EQ(FileBytes(path), "old contents");
    EXPECT_EQ(FolderEntries(scratch.Folder()), QStringList{"out.wav"});
}

TEST(RiffFileWriting, CommitWithAChunkStillOpenFailsAndKeepsTheTarget)
{
    Scratch scratch;
    const QString path = scratch.Write("old contents", "out.wav");
    RiffWriter writer(path);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.CreateRiff(FourCC("WAVE")));
    ASSERT_TRUE(writer.CreateChunk(FourCC("data")));
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(FileBytes(path), "old contents");
    EXPECT_EQ(FolderEntries(scratch.Folder()), QStringList{"out.wav"});
}

TEST(RiffFileWriting, OpenFailsWhenTheFolderDoesNotExist)
{
    Scratch scratch;
    RiffWriter writer(scratch.Path("missing/out.wav"));
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.CreateRiff(FourCC("WAVE")));
    EXPECT_FALSE(writer.Commit());
}

TEST(RiffFileWriting, RewriteAddsChunksAndKeepsTheOthersByteForByte)
{
    Scratch scratch;
    const QByteArray fmt = Chunk("fmt ", FormatData());
    const QByteArray snt = Chunk("snt ", EncodePhraseText("ab")); // odd: padded
    const QByteArray data = Chunk("data", "\x01\x02\x03");       // odd: padded
    const QString path = scratch.Write(Riff(fmt + snt + data));

    RiffReader reader(path);
    ASSERT_TRUE(reader.Open());
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    ASSERT_TRUE(ListRiffChunks(reader, outer, chunks));
    RiffWriter writer(path);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.CreateRiff(outer.FormType));
    for (const RiffChunk& chunk : chunks) {
        if (chunk.Id == FourCC("data")) {
            ASSERT_TRUE(writer.WriteChunk(FourCC("stp "), StepData(0, 2, {})));
        }
        ASSERT_TRUE(writer.CopyChunk(reader, chunk));
    }
    ASSERT_TRUE(writer.WriteChunk(FourCC("ptc "), QByteArray()));
    ASSERT_TRUE(writer.LeaveChunk());
    ASSERT_TRUE(writer.Commit());

    const QByteArray stp = Chunk("stp ", StepData(0, 2, {}));
    EXPECT_EQ(FileBytes(path), Riff(fmt + snt + stp + data + Chunk("ptc ", QByteArray())));
}
