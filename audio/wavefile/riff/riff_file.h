// Our RIFF chunk layer: a buffered file with descend, ascend (size patching and even padding)
// and chunk creation. Positions and sizes are 32-bit, as RIFF files are.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace vk350 {

struct RiffChunk {
    uint32_t ckid = 0;
    uint32_t cksize = 0;
    uint32_t fccType = 0;      // form or list type of RIFF and LIST chunks
    uint32_t dwDataOffset = 0; // file offset of the chunk's data (the form type for RIFF/LIST)
    uint32_t dwFlags = 0;      // kChunkDirty once written to
};

constexpr uint32_t kChunkDirty = 0x10;

enum RiffResult : int {
    kRiffOk = 0,
    kRiffChunkNotFound = 1, // no further chunk inside the parent, or a truncated header
    kRiffCannotRead = 2,
    kRiffCannotWrite = 3,
    kRiffCannotSeek = 4,
};

class RiffFile {
public:
    enum class Mode { Read, ReadWrite, Create };

    RiffFile() = default;
    ~RiffFile();
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;

    bool open(const std::string& name, Mode mode);
    // Flushes and closes; false when the flush failed.
    bool close();
    bool isOpen() const { return file_ != nullptr; }
    // Replaces the stream buffer; only valid right after open.
    bool setBuffer(uint32_t size);

    // Bytes moved, or -1 on an error before any byte moved.
    int64_t read(void* buffer, uint32_t bytes);
    int64_t write(const void* buffer, uint32_t bytes);
    // SEEK_SET / SEEK_CUR / SEEK_END; the new position or -1.
    int64_t seek(int64_t offset, int origin);
    int64_t tell();
    // Size of the file on disk (writes pending in the buffer included); -1 on failure.
    int64_t size();
    bool flush();

    // Reads the chunk header at the current position. With a parent, fails with
    // kRiffChunkNotFound when no whole header fits before the parent's end. RIFF chunks also
    // read their type, LIST chunks when their size holds one. With findId set, chunks are skipped until one
    // has that id.
    int descend(RiffChunk& ck, const RiffChunk* parent, uint32_t findId = 0);
    // Leaves the chunk: a written chunk gets its size patched and a pad byte when odd; a read
    // chunk must end within the file (else kRiffCannotSeek) and the position moves past it.
    int ascend(RiffChunk& ck);
    // Writes a chunk header (with the type for RIFF and LIST) at the current position and marks
    // the chunk as written.
    int createChunk(RiffChunk& ck);

private:
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
};

} // namespace vk350
