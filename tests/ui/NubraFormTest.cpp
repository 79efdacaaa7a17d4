#include <gtest/gtest.h>

#include "pages/NubraForm.h"

namespace {

const QString kEmailError = QStringLiteral("Error: Invalid email address!");
const QString kPasswordError = QStringLiteral("Error: The passwords doesn't match!");

NubraForm Form(NubraForm::Choice choice) {
    NubraForm form;
    form.setMessages(kEmailError, kPasswordError);
    form.choose(choice);
    return form;
}

}  // namespace

TEST(NubraForm, EachChoicePlacesItsRowsAndTheChoicesBelowThem) {
    NubraForm form = Form(NubraForm::kSignIn);
    const NubraForm::Look* look = &form.look();
    EXPECT_EQ(look->email.frame, QRect(362, 227, 380, 28));
    EXPECT_EQ(look->email.box, QRect(364, 232, 377, 21));
    EXPECT_EQ(look->password.frame, QRect(362, 262, 196, 27));
    EXPECT_EQ(look->signUpText.topLeft(), QPoint(172, 300));
    EXPECT_EQ(look->signUpButton, QRect(140, 298, 24, 24));
    EXPECT_EQ(look->noServiceText, QRect(172, 335, 613, 50));
    EXPECT_TRUE(look->email.shown && look->password.shown);
    EXPECT_FALSE(look->confirmation.shown || look->confirmation.frameShown || look->termsShown);

    form.choose(NubraForm::kSignUp);
    look = &form.look();
    EXPECT_EQ(look->signUpText.topLeft(), QPoint(172, 230));
    EXPECT_EQ(look->email.frame, QRect(362, 262, 380, 29));
    EXPECT_EQ(look->password.box, QRect(364, 302, 196, 21));
    EXPECT_EQ(look->confirmation.label, QRect(172, 335, 180, 25));
    EXPECT_EQ(look->terms, QRect(360, 368, 30, 25));
    EXPECT_EQ(look->termsLink, QRect(392, 370, 180, 25));
    EXPECT_EQ(look->noServiceText.topLeft(), QPoint(172, 395));
    EXPECT_TRUE(look->confirmation.shown && look->confirmation.frameShown && look->termsShown);

    const NubraForm::Effects effects = form.choose(NubraForm::kNoService);
    look = &form.look();
    EXPECT_EQ(look->signUpText.topLeft(), QPoint(172, 230));
    EXPECT_EQ(look->noServiceText.topLeft(), QPoint(172, 265));
    EXPECT_FALSE(look->email.shown || look->email.frameShown || look->password.frameShown ||
                 look->termsShown);
    EXPECT_TRUE(effects.emptyEmail && effects.emptyPasswords);
}

TEST(NubraForm, ErrorLabelsStandUnderTheChoicesOfTheirLayout) {
    NubraForm form = Form(NubraForm::kSignIn);
    form.next(QStringLiteral("nobody"), {}, {}, false);
    EXPECT_TRUE(form.look().signInLabel.shown);
    EXPECT_EQ(form.look().signInLabel.top, 380);
    EXPECT_EQ(form.look().signInLabel.text, kEmailError);
    EXPECT_FALSE(form.look().signUpLabel.shown);

    form.choose(NubraForm::kSignUp);
    EXPECT_FALSE(form.look().signInLabel.shown);  // the choice emptied the form
    form.attemptFailed(QStringLiteral("SIGNUPERR005: terms not accepted"));
    EXPECT_TRUE(form.look().signUpLabel.shown);
    EXPECT_EQ(form.look().signUpLabel.top, 430);
    // A code the form knows nothing of marks no row.
    EXPECT_FALSE(form.look().emailMark || form.look().passwordMark);

    form.choose(NubraForm::kNoService);
    EXPECT_FALSE(form.look().signInLabel.shown || form.look().signUpLabel.shown);
}

TEST(NubraForm, PortalCodesMarkTheRowsTheyConcern) {
    NubraForm form = Form(NubraForm::kSignUp);
    form.attemptFailed(QStringLiteral("SIGNUPERR003: passwords differ"));
    EXPECT_EQ(form.replyMask(), 2);
    EXPECT_EQ(form.look().passwordMark, QPoint(567, 300));
    EXPECT_EQ(form.look().password.frameColour, NubraForm::kPink);
    EXPECT_FALSE(form.look().emailMark);
    EXPECT_EQ(form.look().email.frameColour, NubraForm::kGrey);

    // The pink frame stays through sign-in and goes only when the service is declined.
    form.choose(NubraForm::kSignIn);
    EXPECT_EQ(form.look().password.frameColour, NubraForm::kPink);
    EXPECT_FALSE(form.look().passwordMark);
    form.choose(NubraForm::kNoService);
    EXPECT_EQ(form.look().password.frameColour, NubraForm::kGrey);

    for (const char* code : {"SIGNUPERR001 taken", "SIGNUPERR006 malformed"}) {
        NubraForm up = Form(NubraForm::kSignUp);
        up.attemptFailed(QString::fromLatin1(code));
        EXPECT_EQ(up.replyMask(), 1) << code;
        EXPECT_EQ(up.look().emailMark, QPoint(747, 265)) << code;
        EXPECT_EQ(up.look().email.frameColour, NubraForm::kRed) << code;
    }
    NubraForm in = Form(NubraForm::kSignIn);
    in.attemptFailed(QStringLiteral("SIGNUPERR004 short, SIGNUPERR001 taken"));
    EXPECT_EQ(in.replyMask(), 3);
    EXPECT_EQ(in.look().emailMark, QPoint(747, 230));
    EXPECT_EQ(in.look().passwordMark, QPoint(567, 265));
}

TEST(NubraForm, LeavingTheEmailBox) {
    // Left empty by a click on the page: nothing to say yet.
    NubraForm form = Form(NubraForm::kSignIn);
    form.backgroundClick();
    form.emailLeft({}, {});
    EXPECT_FALSE(form.look().signInLabel.shown);
    EXPECT_FALSE(form.backgroundClicked());

    // Left empty for another box: the address is missing.
    form.emailLeft({}, {});
    EXPECT_TRUE(form.look().signInLabel.shown);
    EXPECT_EQ(form.look().emailMark, QPoint(747, 230));
    EXPECT_EQ(form.look().email.frameColour, NubraForm::kRed);
    EXPECT_FALSE(form.emailInvalid());  // used up by the layout

    // A good address takes the marks away without a new layout; the frame stays red until
    // the text changes.
    form.emailLeft(QStringLiteral("a@b.c"), {});
    EXPECT_FALSE(form.look().emailMark);
    EXPECT_TRUE(form.signInErrorText().isEmpty());
    EXPECT_EQ(form.look().email.frameColour, NubraForm::kRed);

    // A click on the page does not excuse a wrong address.
    form.backgroundClick();
    form.emailLeft(QStringLiteral("a@b"), {});
    EXPECT_EQ(form.look().emailMark, QPoint(747, 230));
}

TEST(NubraForm, RepairingTheAddressClearsTheErrorAsTheUserTypes) {
    NubraForm form = Form(NubraForm::kSignUp);
    form.emailLeft(QStringLiteral("a@b"), {});
    ASSERT_EQ(form.look().email.frameColour, NubraForm::kRed);
    EXPECT_FALSE(form.emailChanged(QStringLiteral("a@b.c@")).caretToEnd);
    EXPECT_EQ(form.look().email.frameColour, NubraForm::kRed);
    EXPECT_TRUE(form.emailChanged(QStringLiteral("a@b.")).caretToEnd);
    EXPECT_EQ(form.look().email.frameColour, NubraForm::kGrey);
    EXPECT_FALSE(form.look().signUpLabel.shown || form.look().emailMark);
    EXPECT_TRUE(form.signUpErrorText().isEmpty());

    // Typing into a grey frame changes nothing.
    NubraForm clean = Form(NubraForm::kSignUp);
    EXPECT_FALSE(clean.emailChanged(QStringLiteral("x")).caretToEnd);
}

TEST(NubraForm, TheConfirmationIsJudgedWhenItIsLeftNotThePasswordBox) {
    NubraForm form = Form(NubraForm::kSignUp);
    const QString email = QStringLiteral("a@b.c");
    form.passwordLeft(email, QStringLiteral("Secret1"), {});
    EXPECT_FALSE(form.passwordsDiffer());
    EXPECT_FALSE(form.look().passwordMark);

    form.confirmationLeft(email, QStringLiteral("Secret1"), {});
    EXPECT_TRUE(form.passwordsDiffer());
    EXPECT_EQ(form.look().passwordMark, QPoint(567, 335));
    EXPECT_EQ(form.look().confirmation.frameColour, NubraForm::kRed);
    EXPECT_EQ(form.look().signUpLabel.text, kPasswordError);

    // Case counts; equal texts clear the error and lay the form out again.
    form.passwordLeft(email, QStringLiteral("Secret1"), QStringLiteral("secret1"));
    EXPECT_TRUE(form.passwordsDiffer());
    form.confirmationLeft(email, QStringLiteral("Secret1"), QStringLiteral("Secret1"));
    EXPECT_FALSE(form.passwordsDiffer());
    EXPECT_FALSE(form.look().passwordMark || form.look().signUpLabel.shown);
    EXPECT_EQ(form.look().confirmation.frameColour, NubraForm::kGrey);

    // A wrong address is reported first, from any box.
    form.passwordLeft(QStringLiteral("@b.c"), QStringLiteral("x"), QStringLiteral("y"));
    EXPECT_EQ(form.look().signUpLabel.text, kEmailError);
}

TEST(NubraForm, NextChecksWhatEachChoiceNeeds) {
    NubraForm in = Form(NubraForm::kSignIn);
    EXPECT_EQ(in.next(QStringLiteral("a@b"), {}, {}, false), NubraForm::Step::Stay);
    // Sign-in checks only the address: an empty password goes to the portal.
    EXPECT_EQ(in.next(QStringLiteral("a@b.c"), {}, {}, false), NubraForm::Step::SignIn);

    NubraForm up = Form(NubraForm::kSignUp);
    EXPECT_FALSE(NubraForm::NextEnabled(NubraForm::kSignUp, false));
    EXPECT_TRUE(NubraForm::NextEnabled(NubraForm::kSignUp, true));
    EXPECT_TRUE(NubraForm::NextEnabled(NubraForm::kSignIn, false));
    EXPECT_EQ(up.next(QStringLiteral("a@b.c"), QStringLiteral("p"), QStringLiteral("p"), false),
              NubraForm::Step::Stay);
    EXPECT_FALSE(up.look().signUpLabel.shown);  // unticked terms say nothing
    EXPECT_EQ(up.next(QStringLiteral("a@b.c"), QStringLiteral("p"), QStringLiteral("q"), true),
              NubraForm::Step::Stay);
    EXPECT_TRUE(up.passwordsDiffer());
    EXPECT_EQ(up.next(QStringLiteral("a@b.c"), QStringLiteral("p"), QStringLiteral("p"), true),
              NubraForm::Step::SignUp);
    // Corrected and sent with Enter, without leaving the box: a refusal marks the password row.
    EXPECT_FALSE(up.passwordsDiffer());
    up.attemptFailed(QStringLiteral("SIGNUPERR003: passwords differ"));
    EXPECT_EQ(up.look().passwordMark, QPoint(567, 300));
    EXPECT_EQ(up.look().confirmation.frameColour, NubraForm::kGrey);

    EXPECT_EQ(Form(NubraForm::kNoService).next({}, {}, {}, false), NubraForm::Step::NoService);
}
