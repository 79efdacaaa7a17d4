#pragma once

#include <functional>
#include <memory>

class CInterDialog;
class CPageBase;

using PageMaker = std::function<std::unique_ptr<CPageBase>(CInterDialog& host)>;

// Makes `maker` the page of `id`. Each page registers itself from its own file at start-up, so
// the host needs no list of page classes. Returns true so that the call can initialise a
// constant.
bool RegisterPage(int id, PageMaker maker);

// Registers page class `Page` as page `id`.
template <typename Page>
bool RegisterPageClass(int id) {
    return RegisterPage(id, [](CInterDialog& host) { return std::make_unique<Page>(host); });
}

// The page of `id`, made for `host`; null for an id no page has.
std::unique_ptr<CPageBase> CreatePage(int id, CInterDialog& host);
