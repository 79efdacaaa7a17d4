#pragma once

#include <cstdint>

namespace nav {

inline constexpr int kFirstPage = 1;
inline constexpr int kLastPage = 13;

enum class Action { None, Switch, Close, Minimise };

struct Step {
    Action action = Action::None;
    int page = 0;  // the page to switch to, with Action::Switch
};

// What a navigate message (wParam, lParam) asks of the host on `currentPage`. A step that
// would leave the pages 1..13 is None: the current page stays and so does its number.
Step Resolve(int currentPage, std::intptr_t wParam, std::intptr_t lParam);

bool IsPage(int id);

}  // namespace nav
