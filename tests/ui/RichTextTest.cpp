#include <gtest/gtest.h>

#include "controls/RichText.h"

TEST(RichText, EmphasisMarkersBecomeBoldAndEverythingElseIsLiteral) {
    using controls::EmphasisToHtml;
    EXPECT_EQ(EmphasisToHtml(QStringLiteral("click <br>\"Next\"</br>.")),
              QStringLiteral("click <b>&quot;Next&quot;</b>."));
    EXPECT_EQ(EmphasisToHtml(QStringLiteral("<b>x</b> & <script>")),
              QStringLiteral("&lt;b&gt;x&lt;/b&gt; &amp; &lt;script&gt;"));
    EXPECT_EQ(EmphasisToHtml(QStringLiteral("a</br>b<br>c")), QStringLiteral("ab<b>c</b>"));
    EXPECT_EQ(EmphasisToHtml(QStringLiteral("<br><br>x</br></br>")), QStringLiteral("<b>x</b>"));
    EXPECT_EQ(EmphasisToHtml(QString()), QString());
}
