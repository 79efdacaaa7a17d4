#pragma once

#include <memory>

class CInterDialog;
class CPageBase;

// The page class of each page id 1..13; null for any other id.
std::unique_ptr<CPageBase> CreatePage(int id, CInterDialog& host);
