// A block of bytes that ends right before an unreadable page: a view that reads one byte past
// the length it announced stops the test with a fault, with or without a sanitizer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace vk350::test {

class GuardedBlock {
public:
    explicit GuardedBlock(std::size_t size, std::uint8_t fill = 128) : size_(size) {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        total_ = (size + page - 1) / page * page + page;
        void* base = mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = base == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(base);
        if (!base_)
            return;
        mprotect(base_ + total_ - page, page, PROT_NONE);
        data_ = base_ + total_ - page - size;
        std::memset(data_, fill, size);
    }
    ~GuardedBlock() {
        if (base_)
            munmap(base_, total_);
    }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;

    bool ok() const { return base_ != nullptr; }
    std::uint8_t* data() { return data_; }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::size_t total_ = 0;
    std::uint8_t* base_ = nullptr;
    std::uint8_t* data_ = nullptr;
};

} // namespace vk350::test
