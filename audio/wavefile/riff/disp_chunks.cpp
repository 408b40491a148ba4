#include "disp_chunks.h"

#include "byte_order.h"
#include "riff_file.h"

namespace vk350 {

bool DispList::addFromChunk(const std::vector<uint8_t>& body) {
    if (body.size() < 4)
        return false;
    DispChunk disp;
    disp.type = getLE32(body.data());
    disp.data.assign(body.begin() + 4, body.end());
    items_.push_back(std::move(disp));
    return true;
}

int DispList::write(RiffFile& file) const {
    for (const DispChunk& disp : items_) {
        if (disp.type != kText && disp.type != kBitmap)
            continue;
        RiffChunk ck;
        ck.ckid = fourcc("DISP");
        if (int r = file.createChunk(ck); r != kRiffOk)
            return r;
        uint8_t type[4];
        putLE32(type, disp.type);
        if (file.write(type, 4) != 4)
            return kRiffCannotWrite;
        const auto bytes = static_cast<uint32_t>(disp.data.size());
        if (bytes > 0 && file.write(disp.data.data(), bytes) != bytes)
            return kRiffCannotWrite;
        // Text is stored with its terminating zero byte.
        if (disp.type == kText && (disp.data.empty() || disp.data.back() != 0)) {
            const uint8_t zero = 0;
            if (file.write(&zero, 1) != 1)
                return kRiffCannotWrite;
        }
        if (int r = file.ascend(ck); r != kRiffOk)
            return r;
    }
    return kRiffOk;
}

} // namespace vk350
