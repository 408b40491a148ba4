// The INFO list of a wave file: the raw bytes of a read LIST/INFO chunk and one item per id of
// the RIFF INFO table, each with its text when the file has one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vk350 {

class RiffFile;
struct RiffChunk;

struct InfoEntry {
    int index = 0;       // into InfoList::ids()
    uint32_t flags = 0;  // reserved
    uint32_t offset = 0; // of the text in the raw bytes, 0 when not read from a file
    std::optional<std::string> text;
};

class InfoList {
public:
    InfoList();

    static const std::array<std::string_view, 23>& ids();
    static int indexOf(std::string_view id); // -1 when the id is not in the table

    const std::vector<InfoEntry>& items() const { return items_; }
    // Both return false for an id outside the table.
    bool setText(std::string_view id, std::string text);
    bool text(std::string_view id, std::string& out) const;
    bool hasText() const;
    void clearTexts();
    void copyTextsFrom(const InfoList& other);

    // Reads the sub-chunks of a LIST/INFO chunk the file is positioned in; returns a RiffResult.
    int read(RiffFile& file, const RiffChunk& list);
    // Writes a LIST/INFO chunk of the items with text (nothing when none has text).
    int write(RiffFile& file) const;

private:
    std::vector<uint8_t> raw_;
    std::vector<InfoEntry> items_;
};

} // namespace vk350
