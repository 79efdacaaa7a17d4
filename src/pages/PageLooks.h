#pragma once

#include "pages/CPageBase.h"

// What each page shows around its own content, by page id; a blank look for other ids.
PageLook PageLookOf(int pageId);
