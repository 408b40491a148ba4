#include "info_chunk.h"

#include "byte_order.h"
#include "riff_file.h"

#include <algorithm>

namespace vk350 {

InfoList::InfoList() {
    items_.resize(ids().size());
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i].index = static_cast<int>(i);
}

const std::array<std::string_view, 23>& InfoList::ids() {
    static const std::array<std::string_view, 23> table = {
        "IARL", "IART", "ICMS", "ICMT", "ICOP", "ICRD", "ICRP", "IDIM", "IDPI", "IENG", "IGNR", "IKEY",
        "ILGT", "IMED", "INAM", "IPLT", "IPRD", "ISBJ", "ISFT", "ISHP", "ISRC", "ISRF", "ITCH"};
    return table;
}

int InfoList::indexOf(std::string_view id) {
    const auto& table = ids();
    const auto it = std::find(table.begin(), table.end(), id);
    return it == table.end() ? -1 : static_cast<int>(it - table.begin());
}

bool InfoList::setText(std::string_view id, std::string text) {
    const int i = indexOf(id);
    if (i < 0)
        return false;
    items_[i].text = std::move(text);
    return true;
}

bool InfoList::text(std::string_view id, std::string& out) const {
    const int i = indexOf(id);
    if (i < 0)
        return false;
    out = items_[i].text.value_or(std::string());
    return true;
}

bool InfoList::hasText() const {
    return std::any_of(items_.begin(), items_.end(),
                       [](const InfoEntry& d) { return d.text && !d.text->empty(); });
}

void InfoList::clearTexts() {
    for (InfoEntry& d : items_)
        d.text.reset();
}

void InfoList::copyTextsFrom(const InfoList& other) {
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i].text = other.items_[i].text;
}

int InfoList::read(RiffFile& file, const RiffChunk& list) {
    const uint32_t bodyStart = list.dwDataOffset + 4;
    const uint32_t bodySize = list.cksize - 4; // only lists that hold their type come here
    raw_.assign(bodySize, 0);
    if (bodySize > 0 && file.read(raw_.data(), bodySize) != bodySize)
        return kRiffCannotRead;
    // Sub-chunks are parsed from the copy, so a damaged item cannot move the file position.
    uint32_t pos = 0;
    while (bodySize - pos >= 8) {
        const std::string id(reinterpret_cast<const char*>(&raw_[pos]), 4);
        const uint32_t size = getLE32(&raw_[pos + 4]);
        const uint32_t textStart = pos + 8;
        const uint32_t textSize = std::min(size, bodySize - textStart);
        const int i = indexOf(id);
        if (i >= 0) {
            // Pointer arithmetic, not &raw_[textStart]: an empty item may end exactly at the
            // end of the list, where there is no element to take the address of.
            const char* begin = reinterpret_cast<const char*>(raw_.data()) + textStart;
            const char* end = std::find(begin, begin + textSize, '\0');
            items_[i].text = std::string(begin, end);
            items_[i].offset = bodyStart + textStart;
        }
        if (size > bodySize - textStart)
            break;
        pos = textStart + size;
        if (pos & 1)
            ++pos;
        if (pos > bodySize)
            break;
    }
    return kRiffOk;
}

int InfoList::write(RiffFile& file) const {
    if (!hasText())
        return kRiffOk;
    RiffChunk list;
    list.ckid = fourcc("LIST");
    list.fccType = fourcc("INFO");
    if (int r = file.createChunk(list); r != kRiffOk)
        return r;
    for (const InfoEntry& d : items_) {
        if (!d.text || d.text->empty())
            continue;
        RiffChunk item;
        const std::string_view id = ids()[d.index];
        item.ckid = getLE32(reinterpret_cast<const uint8_t*>(id.data()));
        if (int r = file.createChunk(item); r != kRiffOk)
            return r;
        const uint32_t bytes = static_cast<uint32_t>(d.text->size() + 1); // with its zero byte
        if (file.write(d.text->c_str(), bytes) != bytes)
            return kRiffCannotWrite;
        if (int r = file.ascend(item); r != kRiffOk)
            return r;
    }
    return file.ascend(list);
}

} // namespace vk350
