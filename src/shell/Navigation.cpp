#include "shell/Navigation.h"

#include "shell/Messages.h"

namespace nav {

bool IsPage(int id) {
    return id >= kFirstPage && id <= kLastPage;
}

Step Resolve(int currentPage, std::intptr_t wParam, std::intptr_t lParam) {
    if (lParam > kLastPage || lParam < -kLastPage) {
        lParam = kLastPage + 1;  // far outside; also keeps the sums below from overflowing
    }
    std::intptr_t target = 0;
    switch (wParam) {
        case msg::kBack:
            target = currentPage - 1 - (lParam > 0 ? lParam : 0);
            break;
        case msg::kNext:
            target = currentPage + 1 + lParam;
            break;
        case msg::kClose:
        case msg::kFinish:
            return {Action::Close, 0};
        case msg::kHome:
            target = kFirstPage;
            break;
        case msg::kMinimise:
            return {Action::Minimise, 0};
        default:
            return {};
    }
    if (target < kFirstPage || target > kLastPage) {
        return {};
    }
    return {Action::Switch, static_cast<int>(target)};
}

}  // namespace nav
