#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

// First-in, first-out buffers handed from a receive thread to the thread that drains them.
class CDataQueue final {
public:
    using Buffer = std::vector<std::uint8_t>;

    CDataQueue() = default;
    CDataQueue(const CDataQueue&) = delete;
    CDataQueue& operator=(const CDataQueue&) = delete;

    void Push(Buffer buffer);
    // Nothing when the queue is empty.
    std::optional<Buffer> PopFront();
    void Clear();
    std::size_t Count() const;

private:
    mutable std::mutex mutex_;
    std::deque<Buffer> buffers_;
};
