#pragma once
// Chunked RIFF files, read and written by our own code on every platform.
//
// A RIFF file is a sequence of chunks: a four-character identifier, a 32-bit
// little-endian size that counts the chunk's data only, the data, and one
// zero pad byte after data of odd size. The file starts with the outer chunk
// "RIFF", whose data begins with a four-character form type ("WAVE") and
// goes on with the sub-chunks.
//
// Reading (RiffReader) works like walking the file with a cursor:
//   RiffReader riff(path);
//   RiffChunk outer, chunk;
//   riff.Open();
//   riff.DescendOuter(outer);           // cursor on the first sub-chunk
//   riff.FindChunk(FourCC("fmt "), chunk); // searches forward to the end of the file
//   riff.Read(buffer, 16);               // cursor inside the chunk's data
//   riff.Ascend(chunk);                  // cursor after the chunk and its pad byte
//   riff.SeekToFirstSubChunk(outer);     // start a new search from the top
// Every size in the file is checked against the real file size: a chunk that
// claims more bytes than the file holds is reported by FitsInFile before
// anybody allocates room for it, and nothing is ever read past the file's end.
//
// Writing (RiffWriter) builds the file in a temporary file beside the target
// ("<target>.<random>.tmp") and puts it in the target's place only in Commit,
// so a failure never leaves a half-written file under the real name. The
// target keeps its permissions, owner, links and hard links (NativeFile.h):
//   RiffWriter out(path);
//   out.Open();
//   out.CreateRiff(FourCC("WAVE"));
//   out.CreateChunk(FourCC("fmt ")); out.Write(bytes, 16); out.LeaveChunk();
//   out.LeaveChunk();                   // the outer chunk
//   out.Commit();
//
// Rewriting a file with chunks added keeps the others byte for byte:
//   RiffReader in(path); std::vector<RiffChunk> chunks; RiffChunk outer;
//   ListRiffChunks(in, outer, chunks);
//   RiffWriter out(path); out.Open(); out.CreateRiff(outer.FormType);
//   for (const RiffChunk& chunk : chunks) {
//       if (chunk.Id == FourCC("data")) out.WriteChunk(FourCC("stp "), steps);
//       out.CopyChunk(in, chunk);
//   }
//   out.WriteChunk(FourCC("ptc "), pitch); out.LeaveChunk(); out.Commit();
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The identifier "abcd" as the 32-bit value it has when read little-endian.
constexpr uint32_t FourCC(const char (&id)[5])
{
    return uint32_t(uint8_t(id[0])) | uint32_t(uint8_t(id[1])) << 8 |
           uint32_t(uint8_t(id[2])) << 16 | uint32_t(uint8_t(id[3])) << 24;
}

// The four characters of an identifier, for messages and listings.
QByteArray FourCCText(uint32_t id);

struct RiffChunk
{
    uint32_t Id = 0;
    uint32_t Size = 0;      // bytes of data, without the pad byte
    int64_t DataOffset = 0; // file offset of the data; for "RIFF" and "LIST" that is the form type
    uint32_t FormType = 0;  // "RIFF" and "LIST" chunks only
    int64_t End() const { return DataOffset + Size; }
    int64_t EndWithPad() const { return End() + (Size & 1); }
};

class RiffReader
{
public:
    // Reads the file at path (opened by Open).
    explicit RiffReader(const QString& path);
    // Reads an already open, seekable device, such as a QBuffer over bytes in
    // memory. The device must outlive the reader.
    explicit RiffReader(QIODevice& device);
    ~RiffReader();
    RiffReader(const RiffReader&) = delete;
    RiffReader& operator=(const RiffReader&) = delete;

    // Opens the file read-only; false when it cannot be opened.
    bool Open();
    int64_t FileSize() const { return fileSize; }
    int64_t Position() const { return position; }

    // Enters the chunk at the start of the file. Its identifier and form type
    // are returned, not examined. The cursor goes to the first sub-chunk.
    // False when the file is too short for a chunk header and a form type.
    bool DescendOuter(RiffChunk& outer);

    // The chunk whose header starts at offset (the cursor does not move).
    // False when no whole header lies there.
    bool ChunkAt(int64_t offset, RiffChunk& chunk);

    // Searches forward from the cursor, to the end of the file, for a chunk
    // with this identifier, stepping over other chunks and their pad bytes.
    // Found: the cursor goes to the start of the chunk's data. Not found: the
    // cursor stays where it was. A found chunk may still claim more bytes than
    // the file holds; see FitsInFile.
    bool FindChunk(uint32_t id, RiffChunk& chunk);

    // The chunk's data lies wholly inside the file.
    bool FitsInFile(const RiffChunk& chunk) const;

    // Reads up to count bytes at the cursor and moves it on; returns the
    // number of bytes read, fewer at the end of the file.
    int64_t Read(void* destination, int64_t count);

    // Leaves the chunk: the cursor goes past its data and pad byte. False
    // when its data runs past the end of the file. A missing pad byte after
    // the file's last chunk is accepted.
    bool Ascend(const RiffChunk& chunk);

    // Puts the cursor on the first sub-chunk of the outer chunk again.
    bool SeekToFirstSubChunk(const RiffChunk& outer);

    // Puts the cursor on the first byte of the chunk's data; false when the
    // data does not lie wholly inside the file.
    bool EnterChunk(const RiffChunk& chunk);

    // The chunk's whole data; false (and data empty) when it does not fit in
    // the file. Leaves the cursor after the data.
    bool ReadChunkData(const RiffChunk& chunk, QByteArray& data);

private:
    bool ReadHeaderAt(int64_t offset, uint32_t& id, uint32_t& size);
    bool SeekDevice(int64_t offset);

    std::unique_ptr<QFile> ownFile;
    QIODevice* device = nullptr;
    int64_t fileSize = 0;
    int64_t position = 0;        // the cursor, as this reader sees it
    int64_t devicePosition = -1; // where the device really is; -1 unknown
};

// Lists the outer chunk and its sub-chunks in file order, from the first
// sub-chunk to the end of the outer chunk as its size gives it. Bytes after
// it are no part of the file, whatever they look like (a tag some tool
// appended, a few stray bytes). An outer size too small to hold its form
// type counts as unknown, and the chunks run to the end of the file then.
// The reader must be open. False when there is no outer chunk or when a
// chunk runs past the end of the file; the chunks before that one are still
// listed.
bool ListRiffChunks(RiffReader& reader, RiffChunk& outer, std::vector<RiffChunk>& chunks);

class RiffWriter
{
public:
    explicit RiffWriter(const QString& targetPath);
    // The target's native path: its name's bytes (NativeFile.h).
    explicit RiffWriter(const QByteArray& nativeTargetPath);
    // Discards the temporary file unless Commit succeeded.
    ~RiffWriter();
    RiffWriter(const RiffWriter&) = delete;
    RiffWriter& operator=(const RiffWriter&) = delete;

    // Creates the temporary file beside the target; false when it cannot.
    bool Open();
    // Starts the outer chunk "RIFF" with its form type.
    bool CreateRiff(uint32_t formType);
    // Starts a chunk inside the innermost open chunk.
    bool CreateChunk(uint32_t id);
    // Appends to the innermost open chunk; false on a short write or when the
    // chunk would outgrow the 32-bit size.
    bool Write(const void* data, int64_t size);
    bool Write(const QByteArray& data) { return Write(data.constData(), data.size()); }
    // Ends the innermost open chunk: writes its size and, after odd data, the
    // zero pad byte.
    bool LeaveChunk();
    // A whole chunk in one call.
    bool WriteChunk(uint32_t id, const QByteArray& data);
    // Copies a chunk of another file byte for byte (identifier, data, size),
    // a block at a time whatever its size.
    bool CopyChunk(RiffReader& reader, const RiffChunk& chunk);
    // Makes everything written so far readable through TemporaryPath.
    bool Flush();

    // Finishes the file (every chunk must have been left), flushes it to the
    // disk and puts it in the target's place. False on any failure; the
    // target is then untouched and the temporary file removed (but see
    // ReplaceFile for the one case where it is kept).
    bool Commit();
    // Abandons the file: removes the temporary file, leaves the target alone.
    void Discard();

    QString TemporaryPath() const { return QFile::decodeName(temporary); }
    QByteArray TemporaryNativePath() const { return temporary; }

private:
    struct OpenChunk
    {
        int64_t sizeOffset; // where the size field is
        int64_t dataSize;
    };

    bool WriteRaw(const void* data, int64_t size);

    QByteArray target;
    QByteArray temporary;
    QFile file;
    std::vector<OpenChunk> openChunks;
    bool failed = false;
    bool committed = false;
};
