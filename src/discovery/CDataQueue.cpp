#include "discovery/CDataQueue.h"

#include <utility>

void CDataQueue::Push(Buffer buffer) {
    std::lock_guard lock(mutex_);
    buffers_.push_back(std::move(buffer));
}

std::optional<CDataQueue::Buffer> CDataQueue::PopFront() {
    std::lock_guard lock(mutex_);
    if (buffers_.empty()) {
        return std::nullopt;
    }
    Buffer front = std::move(buffers_.front());
    buffers_.pop_front();
    return front;
}

void CDataQueue::Clear() {
    std::lock_guard lock(mutex_);
    buffers_.clear();
}

std::size_t CDataQueue::Count() const {
    std::lock_guard lock(mutex_);
    return buffers_.size();
}
