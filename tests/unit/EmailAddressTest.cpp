#include <gtest/gtest.h>

#include "util/EmailAddress.h"

TEST(CheckEmailAddress, OrdinaryAddressesPass) {
    for (const char* address :
         {"installer@example.com", "a.b-c+d@mail.example.co.uk", "x@y.z", "a@b.c.",
          "o'brien@example.ie", "user%tag@example.com", "!#$%&'*+-/=?^_`{|}~@ex.am"}) {
        EXPECT_TRUE(CheckEmailAddress(QString::fromLatin1(address))) << address;
    }
}

TEST(CheckEmailAddress, TheAtAndTheDomainAreRequired) {
    for (const char* address :
         {"", "plain", "@example.com", "user@", "user@example", "user@.example.com",
          "user@example..com", "user@@example.com", "user@exa@mple.com"}) {
        EXPECT_FALSE(CheckEmailAddress(QString::fromLatin1(address))) << address;
    }
}

TEST(CheckEmailAddress, TheLocalPartHasNoSpecialsBlanksOrTrailingDot) {
    for (const char* address :
         {"us er@example.com", "user.@example.com", "a(b)@example.com", "a<b>@example.com",
          "a,b@example.com", "a;b@example.com", "a:b@example.com", "a\\b@example.com",
          "a[b]@example.com", "a\"b\"@example.com", "a\tb@example.com", "user@exa mple.com",
          "user@exa,mple.com"}) {
        EXPECT_FALSE(CheckEmailAddress(QString::fromLatin1(address))) << address;
    }
    // A leading dot is no trailing one.
    EXPECT_TRUE(CheckEmailAddress(QStringLiteral(".user@example.com")));
}

TEST(CheckEmailAddress, QuotedStringsAtTheStartOrAfterADot) {
    EXPECT_TRUE(CheckEmailAddress(QStringLiteral("\"john.doe\"@example.com")));
    EXPECT_TRUE(CheckEmailAddress(QStringLiteral("\"a@b\"@example.com")));     // "@" inside quotes
    EXPECT_TRUE(CheckEmailAddress(QStringLiteral("\"a\\ b\"@example.com")));   // escaped blank
    EXPECT_TRUE(CheckEmailAddress(QStringLiteral("\"a\\\"b\"@example.com")));  // escaped quote
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("first.\"x y\".last@example.com")));
    EXPECT_TRUE(CheckEmailAddress(QStringLiteral("first.\"x\".last@example.com")));
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"a b\"@example.com")));  // a plain blank
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"open@example.com")));   // never closed
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"a\"b@example.com")));   // no "@" or "."
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"a\".@example.com")));   // ends with "."
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"a\\")));                // escape at the end
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"a\"")));                // nothing after it
}

TEST(CheckEmailAddress, LettersOutsideAsciiFail) {
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("jos\u00e9@example.com")));
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("user@b\u00fccher.de")));
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\u7528\u6237@example.cn")));
    EXPECT_FALSE(CheckEmailAddress(QStringLiteral("\"\u00e9\"@example.com")));
}
