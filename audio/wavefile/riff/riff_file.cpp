#include "riff_file.h"

#include "byte_order.h"

#include <cstdlib>

namespace vk350 {

RiffFile::~RiffFile() {
    close();
}

bool RiffFile::open(const std::string& name, Mode mode) {
    close();
    const char* how = mode == Mode::Read ? "rb" : mode == Mode::ReadWrite ? "r+b" : "w+b";
    file_ = std::fopen(name.c_str(), how);
    return file_ != nullptr;
}

bool RiffFile::close() {
    bool ok = true;
    if (file_) {
        ok = std::fclose(file_) == 0;
        file_ = nullptr;
    }
    std::free(buffer_);
    buffer_ = nullptr;
    return ok;
}

bool RiffFile::setBuffer(uint32_t size) {
    if (!file_ || buffer_)
        return false;
    buffer_ = static_cast<char*>(std::malloc(size));
    if (!buffer_)
        return false;
    if (std::setvbuf(file_, buffer_, _IOFBF, size) != 0) {
        std::free(buffer_);
        buffer_ = nullptr;
        return false;
    }
    return true;
}

int64_t RiffFile::read(void* buffer, uint32_t bytes) {
    if (!file_)
        return -1;
    const size_t got = std::fread(buffer, 1, bytes, file_);
    if (got == 0 && std::ferror(file_)) {
        std::clearerr(file_);
        return -1;
    }
    std::clearerr(file_);
    return static_cast<int64_t>(got);
}

int64_t RiffFile::write(const void* buffer, uint32_t bytes) {
    if (!file_)
        return -1;
    const size_t put = std::fwrite(buffer, 1, bytes, file_);
    if (put == 0 && bytes > 0) {
        std::clearerr(file_);
        return -1;
    }
    return static_cast<int64_t>(put);
}

int64_t RiffFile::seek(int64_t offset, int origin) {
    if (!file_ || ::fseeko(file_, static_cast<off_t>(offset), origin) != 0)
        return -1;
    return tell();
}

int64_t RiffFile::tell() {
    return file_ ? static_cast<int64_t>(::ftello(file_)) : -1;
}

int64_t RiffFile::size() {
    const int64_t here = tell();
    if (here < 0)
        return -1;
    const int64_t end = seek(0, SEEK_END);
    if (seek(here, SEEK_SET) < 0)
        return -1;
    return end;
}

bool RiffFile::flush() {
    return file_ && std::fflush(file_) == 0;
}

int RiffFile::descend(RiffChunk& ck, const RiffChunk* parent, uint32_t findId) {
    for (;;) {
        const int64_t here = tell();
        if (here < 0)
            return kRiffCannotSeek;
        if (parent) {
            const int64_t parentEnd = int64_t(parent->dwDataOffset) + parent->cksize;
            if (here + 8 > parentEnd)
                return kRiffChunkNotFound;
        }
        uint8_t head[8];
        if (read(head, 8) != 8)
            return kRiffChunkNotFound;
        ck = RiffChunk{};
        ck.ckid = getLE32(head);
        ck.cksize = getLE32(head + 4);
        if (here + 8 > UINT32_MAX)
            return kRiffChunkNotFound;
        ck.dwDataOffset = static_cast<uint32_t>(here + 8);
        // A list too small to hold its type has none; it is still a chunk to step over. The form
        // type is always read: it decides whether the file is of the wanted kind at all.
        if (ck.ckid == fourcc("RIFF") || (ck.ckid == fourcc("LIST") && ck.cksize >= 4)) {
            uint8_t type[4];
            if (read(type, 4) != 4)
                return kRiffChunkNotFound;
            ck.fccType = getLE32(type);
        }
        if (findId == 0 || ck.ckid == findId)
            return kRiffOk;
        if (ascend(ck) != kRiffOk)
            return kRiffChunkNotFound;
    }
}

int RiffFile::ascend(RiffChunk& ck) {
    if (!file_)
        return kRiffCannotSeek;
    if (ck.dwFlags & kChunkDirty) {
        const int64_t end = tell();
        if (end < int64_t(ck.dwDataOffset) || end > UINT32_MAX)
            return kRiffCannotSeek;
        const uint32_t written = static_cast<uint32_t>(end - ck.dwDataOffset);
        if (written != ck.cksize) {
            uint8_t field[4];
            putLE32(field, written);
            if (seek(int64_t(ck.dwDataOffset) - 4, SEEK_SET) < 0 || write(field, 4) != 4 ||
                seek(end, SEEK_SET) < 0)
                return kRiffCannotWrite;
            ck.cksize = written;
        }
        if (written & 1) {
            const uint8_t pad = 0;
            if (write(&pad, 1) != 1)
                return kRiffCannotWrite;
        }
        ck.dwFlags &= ~kChunkDirty;
        return kRiffOk;
    }
    const int64_t end = int64_t(ck.dwDataOffset) + ck.cksize;
    const int64_t fileSize = size();
    if (fileSize < 0 || end > fileSize)
        return kRiffCannotSeek;
    // A missing pad byte at the very end of the file is tolerated.
    const int64_t next = end + (ck.cksize & 1);
    return seek(next <= fileSize ? next : end, SEEK_SET) < 0 ? kRiffCannotSeek : kRiffOk;
}

int RiffFile::createChunk(RiffChunk& ck) {
    const int64_t here = tell();
    if (here < 0 || here + 12 > UINT32_MAX)
        return kRiffCannotSeek;
    const bool typed = ck.ckid == fourcc("RIFF") || ck.ckid == fourcc("LIST");
    uint8_t head[12];
    putLE32(head, ck.ckid);
    putLE32(head + 4, ck.cksize);
    putLE32(head + 8, ck.fccType);
    const uint32_t headBytes = typed ? 12 : 8;
    if (write(head, headBytes) != headBytes)
        return kRiffCannotWrite;
    ck.dwDataOffset = static_cast<uint32_t>(here + 8);
    ck.dwFlags |= kChunkDirty;
    return kRiffOk;
}

} // namespace vk350
