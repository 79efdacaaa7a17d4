#include "pages/PageRegistry.h"

#include <map>

#include "pages/CPageBase.h"

namespace {

// Filled while the program starts, before any window exists; read-only afterwards.
std::map<int, PageMaker>& Registry() {
    static std::map<int, PageMaker> registry;
    return registry;
}

}  // namespace

bool RegisterPage(int id, PageMaker maker) {
    Registry()[id] = std::move(maker);
    return true;
}

std::unique_ptr<CPageBase> CreatePage(int id, CInterDialog& host) {
    const auto it = Registry().find(id);
    return it != Registry().end() ? it->second(host) : nullptr;
}
