// The patterns window's buffer without a window, for tests and benchmarks of the options window:
// the last received pattern dump and the lines of its log.
#pragma once

#include "bank_slots.h"

#include <QStringList>
#include <memory>

namespace vk350 {

class ReceivedPatterns : public PatternDumps {
public:
    static constexpr int kBufferSize = 65536;

    ReceivedPatterns();
    void ReceivePatternDump(const uint8_t* message, int size, const QString& line) override;

    const uint8_t* Buffer() const { return buffer_.get(); }
    int HeldLength() const { return held_; }
    const QStringList& LogLines() const { return log_; }

private:
    std::unique_ptr<uint8_t[]> buffer_;
    int held_ = 0;
    QStringList log_;
};

} // namespace vk350
