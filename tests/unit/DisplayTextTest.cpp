#include <gtest/gtest.h>

#include "util/DisplayText.h"

TEST(DisplayText, ControlsBecomeBlanksAndReorderingMarksGo) {
    // A model that would break its row, and one that would draw as "ORB-780Z" backwards.
    EXPECT_EQ(DisplayText(u"OC-420\r\nX-Injected: 1\t\x7f\u0085"), "OC-420  X-Injected: 1   ");
    EXPECT_EQ(DisplayText(u"\u202EZ087-BRO\u202C \u2066a\u2069\u200F\u061C"), "Z087-BRO a");
    EXPECT_EQ(DisplayText(u"line\u2028para\u2029"), "line para ");
    // What a person may rightly see stays as it is: letters of every script, marks, emoji.
    const QString kept =
        QString::fromUtf8("(GMT+09:00) 東京 · Zürich — القاهرة 🙂 %s $HOME `x`");
    EXPECT_EQ(DisplayText(kept), kept);
    EXPECT_EQ(DisplayTexts({QStringLiteral("a\nb"), QString()}),
              QStringList({QStringLiteral("a b"), QString()}));
}
