#include "shell/StorageWorker.h"

void StorageWorker::start() {
    auto state = state_;
    Body body = body_;
    worker_.start([state, body](const auto& run) {
        if (body) {
            body(*state, *run);
        }
    });
}
