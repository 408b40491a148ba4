#include "kept_bank.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

namespace {

const char kMagic[] = "VK350KEPTBANK1\n";
constexpr int kMagicLength = sizeof(kMagic) - 1;
// Above any slot the machine has, so a length past it can only be damage.
constexpr uint32_t kMaxBytes = 524288;
constexpr uint32_t kMaxText = 4096;

void putU32(QByteArray& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

void putBlob(QByteArray& out, const char* data, qsizetype n) {
    putU32(out, uint32_t(n));
    out.append(data, n);
}

// FNV-1a: enough to tell a damaged record from a good one.
uint32_t sumOf(const char* data, qsizetype n) {
    uint32_t h = 2166136261u;
    for (qsizetype i = 0; i < n; ++i)
        h = (h ^ uint8_t(data[i])) * 16777619u;
    return h;
}

class Reader {
public:
    explicit Reader(const QByteArray& data) : data_(data) {}
    qsizetype Pos() const { return pos_; }
    bool U32(uint32_t& v) {
        if (data_.size() - pos_ < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(uint8_t(data_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return true;
    }
    bool Blob(uint32_t limit, const char*& at, uint32_t& n) {
        if (!U32(n) || n > limit || data_.size() - pos_ < qsizetype(n))
            return false;
        at = data_.constData() + pos_;
        pos_ += n;
        return true;
    }

private:
    const QByteArray& data_;
    qsizetype pos_ = kMagicLength;
};

} // namespace

QByteArray encodeKeptBank(const KeptSlots& kept) {
    QByteArray out(kMagic, kMagicLength);
    for (size_t s = 0; s < kept.size(); ++s) {
        const KeptSlot& slot = kept[s];
        if (!slot.present)
            continue;
        const qsizetype start = out.size();
        putU32(out, uint32_t(s));
        const QByteArray name = slot.name.toUtf8().left(kMaxText);
        const QByteArray size = slot.size.toUtf8().left(kMaxText);
        putBlob(out, name.constData(), name.size());
        putBlob(out, size.constData(), size.size());
        putBlob(out, reinterpret_cast<const char*>(slot.bytes.data()),
                qsizetype(std::min<size_t>(slot.bytes.size(), kMaxBytes)));
        putU32(out, sumOf(out.constData() + start, out.size() - start));
    }
    return out;
}

KeptBankRead decodeKeptBank(const QByteArray& data) {
    KeptBankRead read;
    if (data.size() < kMagicLength || std::memcmp(data.constData(), kMagic, kMagicLength) != 0) {
        read.damaged = !data.isEmpty();
        return read;
    }
    Reader in(data);
    while (in.Pos() < data.size()) {
        const qsizetype start = in.Pos();
        uint32_t slot = 0, nameLength = 0, sizeLength = 0, byteCount = 0, sum = 0;
        const char *name = nullptr, *size = nullptr, *bytes = nullptr;
        if (!in.U32(slot) || !in.Blob(kMaxText, name, nameLength) || !in.Blob(kMaxText, size, sizeLength) ||
            !in.Blob(kMaxBytes, bytes, byteCount) || !in.U32(sum)) {
            read.damaged = true;
            break;
        }
        if (slot >= read.kept.size() || sum != sumOf(data.constData() + start, in.Pos() - 4 - start)) {
            read.damaged = true;
            continue;
        }
        KeptSlot& k = read.kept[slot];
        k.present = true;
        k.name = QString::fromUtf8(name, nameLength);
        k.size = QString::fromUtf8(size, sizeLength);
        k.bytes.assign(reinterpret_cast<const uint8_t*>(bytes),
                       reinterpret_cast<const uint8_t*>(bytes) + byteCount);
    }
    return read;
}

} // namespace vk350
