#include "audio/RiffFile.h"

#include "audio/NativeFile.h"
#include "platform/RegularFile.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t ChunkHeaderSize = 8;
constexpr int64_t MaxChunkSize = std::numeric_limits<uint32_t>::max();
constexpr int64_t CopyBlockSize = 1 << 20;

// Where the sub-chunks of the outer chunk end: its size, unless that is
// too small to be meant (some streaming writers leave it 0) or the file is
// shorter.
int64_t SubChunksEnd(const RiffChunk& outer, int64_t fileSize)
{
    return outer.Size < 4 ? fileSize : std::min(fileSize, outer.End());
}

} // namespace

QByteArray FourCCText(uint32_t id)
{
    QByteArray text(4, '\0');
    qToLittleEndian(id, text.data());
    return text;
}

// ---------------------------------------------------------------- reading

RiffReader::RiffReader(const QString& path) : ownFile(std::make_unique<QFile>(path)) {}

RiffReader::RiffReader(QIODevice& device) : device(&device) {}

RiffReader::~RiffReader() = default;

bool RiffReader::Open()
{
    if (ownFile) {
        if (!OpenRegularFile(*ownFile))
            return false;
        device = ownFile.get();
    }
    if (device == nullptr || !device->isOpen() || device->isSequential())
        return false;
    fileSize = device->size();
    position = 0;
    devicePosition = -1;
    return true;
}

bool RiffReader::SeekDevice(int64_t offset)
{
    if (devicePosition == offset)
        return true;
    if (!device->seek(offset)) {
        devicePosition = -1;
        return false;
    }
    devicePosition = offset;
    return true;
}

bool RiffReader::ReadHeaderAt(int64_t offset, uint32_t& id, uint32_t& size)
{
    if (offset < 0 || offset > fileSize - ChunkHeaderSize || !SeekDevice(offset))
        return false;
    uchar header[ChunkHeaderSize];
    const int64_t got = device->read(reinterpret_cast<char*>(header), ChunkHeaderSize);
    devicePosition = got > 0 ? offset + got : -1;
    if (got != ChunkHeaderSize)
        return false;
    id = qFromLittleEndian<uint32_t>(header);
    size = qFromLittleEndian<uint32_t>(header + 4);
    return true;
}

bool RiffReader::ChunkAt(int64_t offset, RiffChunk& chunk)
{
    uint32_t id = 0;
    uint32_t size = 0;
    if (!ReadHeaderAt(offset, id, size))
        return false;
    chunk = RiffChunk{id, size, offset + ChunkHeaderSize, 0};
    uchar formType[4];
    if ((id == FourCC("RIFF") || id == FourCC("LIST")) && size >= 4 &&
        device->read(reinterpret_cast<char*>(formType), 4) == 4) {
        chunk.FormType = qFromLittleEndian<uint32_t>(formType);
    }
    devicePosition = -1;
    return true;
}

bool RiffReader::DescendOuter(RiffChunk& outer)
{
    uint32_t id = 0;
    uint32_t size = 0;
    uchar formType[4];
    if (!ReadHeaderAt(0, id, size) || device->read(reinterpret_cast<char*>(formType), 4) != 4) {
        devicePosition = -1;
        return false;
    }
    devicePosition = ChunkHeaderSize + 4;
    outer = RiffChunk{id, size, ChunkHeaderSize, qFromLittleEndian<uint32_t>(formType)};
    position = outer.DataOffset + 4;
    return true;
}

bool RiffReader::FindChunk(uint32_t id, RiffChunk& chunk)
{
    int64_t offset = position;
    uint32_t foundId = 0;
    uint32_t size = 0;
    // Each step moves forward by at least a header, so the walk ends at the
    // end of the file whatever the sizes say.
    while (ReadHeaderAt(offset, foundId, size)) {
        const int64_t dataOffset = offset + ChunkHeaderSize;
        if (foundId == id) {
            chunk = RiffChunk{foundId, size, dataOffset, 0};
            position = dataOffset;
            return true;
        }
        offset = dataOffset + size + (size & 1);
    }
    return false;
}

bool RiffReader::FitsInFile(const RiffChunk& chunk) const
{
    return chunk.DataOffset >= 0 && chunk.End() <= fileSize;
}

int64_t RiffReader::Read(void* destination, int64_t count)
{
    if (count <= 0 || position >= fileSize)
        return 0;
    count = std::min(count, fileSize - position);
    if (!SeekDevice(position))
        return 0;
    const int64_t got = device->read(static_cast<char*>(destination), count);
    if (got <= 0) {
        devicePosition = -1;
        return 0;
    }
    position += got;
    devicePosition = position;
    return got;
}

bool RiffReader::Ascend(const RiffChunk& chunk)
{
    if (!FitsInFile(chunk))
        return false;
    position = chunk.EndWithPad();
    return true;
}

bool RiffReader::SeekToFirstSubChunk(const RiffChunk& outer)
{
    const int64_t first = outer.DataOffset + 4;
    if (first > fileSize)
        return false;
    position = first;
    return true;
}

bool RiffReader::EnterChunk(const RiffChunk& chunk)
{
    if (!FitsInFile(chunk)) return false;
    position = chunk.DataOffset;
    return true;
}

bool RiffReader::ReadChunkData(const RiffChunk& chunk, QByteArray& data)
{
    data.clear();
    if (!FitsInFile(chunk))
        return false;
    data.resize(qsizetype(chunk.Size));
    position = chunk.DataOffset;
    if (Read(data.data(), chunk.Size) != int64_t(chunk.Size)) {
        data.clear();
        return false;
    }
    return true;
}

bool ListRiffChunks(RiffReader& reader, RiffChunk& outer, std::vector<RiffChunk>& chunks)
{
    chunks.clear();
    if (!reader.DescendOuter(outer))
        return false;
    const int64_t end = SubChunksEnd(outer, reader.FileSize());
    int64_t offset = reader.Position();
    RiffChunk chunk;
    // Each chunk moves the offset on by at least its header.
    while (offset <= end - ChunkHeaderSize && reader.ChunkAt(offset, chunk)) {
        if (!reader.FitsInFile(chunk))
            return false;
        chunks.push_back(chunk);
        // A chunk that runs on past the outer size while the file holds it
        // says the outer size is short; nothing after it is trusted then.
        if (chunk.End() > end) break;
        offset = chunk.EndWithPad();
    }
    return true;
}

// ---------------------------------------------------------------- writing

RiffWriter::RiffWriter(const QString& targetPath) : target(QFile::encodeName(targetPath)) {}

RiffWriter::RiffWriter(const QByteArray& nativeTargetPath) : target(nativeTargetPath) {}

RiffWriter::~RiffWriter()
{
    if (!committed)
        Discard();
}

bool RiffWriter::Open()
{
    if (file.isOpen() || committed)
        return false;
    // Through a link, the file it leads to is the one replaced; a name of
    // our own beside that file keeps the final rename on one file system.
    target = FollowLinks(target);
    temporary = CreateFileBeside(file, target);
    if (temporary.isEmpty()) {
        failed = true;
        return false;
    }
    return true;
}

bool RiffWriter::WriteRaw(const void* data, int64_t size)
{
    if (failed || !file.isOpen())
        return false;
    if (size > 0 && file.write(static_cast<const char*>(data), size) != size) {
        failed = true;
        return false;
    }
    return true;
}

bool RiffWriter::CreateRiff(uint32_t formType)
{
    if (!openChunks.empty() || file.pos() != 0)
        return false;
    if (!CreateChunk(FourCC("RIFF")))
        return false;
    uchar bytes[4];
    qToLittleEndian(formType, bytes);
    return Write(bytes, 4);
}

bool RiffWriter::CreateChunk(uint32_t id)
{
    if (failed || !file.isOpen())
        return false;
    uchar header[ChunkHeaderSize];
    qToLittleEndian(id, header);
    qToLittleEndian(uint32_t(0), header + 4); // the size follows when the chunk is left
    const int64_t sizeOffset = file.pos() + 4;
    if (!openChunks.empty() && !Write(header, ChunkHeaderSize))
        return false;
    if (openChunks.empty() && !WriteRaw(header, ChunkHeaderSize))
        return false;
    openChunks.push_back(OpenChunk{sizeOffset, 0});
    return true;
}

bool RiffWriter::Write(const void* data, int64_t size)
{
    if (openChunks.empty() || size < 0) {
        failed = true;
        return false;
    }
    // Every open chunk grows by what its innermost chunk gets.
    for (const OpenChunk& chunk : openChunks) {
        if (chunk.dataSize + size > MaxChunkSize) {
            failed = true;
            return false;
        }
    }
    if (!WriteRaw(data, size))
        return false;
    for (OpenChunk& chunk : openChunks)
        chunk.dataSize += size;
    return true;
}

bool RiffWriter::LeaveChunk()
{
    if (failed || openChunks.empty())
        return false;
    const OpenChunk chunk = openChunks.back();
    const int64_t end = file.pos();
    uchar size[4];
    qToLittleEndian(uint32_t(chunk.dataSize), size);
    if (!file.seek(chunk.sizeOffset) || !WriteRaw(size, 4) || !file.seek(end)) {
        failed = true;
        return false;
    }
    openChunks.pop_back();
    if (chunk.dataSize & 1) {
        const char pad = 0;
        // The pad byte belongs to the enclosing chunk's data, not to this one.
        if (openChunks.empty() ? !WriteRaw(&pad, 1) : !Write(&pad, 1))
            return false;
    }
    return true;
}

bool RiffWriter::WriteChunk(uint32_t id, const QByteArray& data)
{
    return CreateChunk(id) && Write(data) && LeaveChunk();
}

bool RiffWriter::CopyChunk(RiffReader& reader, const RiffChunk& chunk)
{
    if (!reader.EnterChunk(chunk) || !CreateChunk(chunk.Id)) {
        failed = true;
        return false;
    }
    // A block at a time: a chunk is as large as the file says, and memory
    // need not be.
    QByteArray block(qsizetype(std::min<int64_t>(chunk.Size, CopyBlockSize)), '\0');
    for (int64_t left = chunk.Size; left > 0; left -= block.size()) {
        block.truncate(qsizetype(std::min<int64_t>(left, block.size())));
        if (reader.Read(block.data(), block.size()) != block.size()) {
            failed = true;
            return false;
        }
        if (!Write(block)) return false;
    }
    return LeaveChunk();
}

bool RiffWriter::Flush()
{
    if (failed || !file.isOpen() || !file.flush()) {
        failed = true;
        return false;
    }
    return true;
}

bool RiffWriter::Commit()
{
    if (failed || !file.isOpen() || !openChunks.empty()) {
        Discard();
        return false;
    }
    bool keepTemporary = false;
    if (!ReplaceFile(file, temporary, target, keepTemporary)) {
        if (keepTemporary) temporary.clear();
        Discard();
        return false;
    }
    committed = true;
    return true;
}

void RiffWriter::Discard()
{
    failed = true;
    openChunks.clear();
    file.close();
    if (temporary.isEmpty()) return;
    RemoveNativeFile(temporary);
    temporary.clear();
}
