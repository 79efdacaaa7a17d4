#include "pages/NubraForm.h"

#include "util/EmailAddress.h"

namespace {

constexpr int kFirstTop = 230;
constexpr int kSignUpPitch = 35;
constexpr int kNoServicePitch = 45;
constexpr int kSignUpLabelRaise = 10;
constexpr int kButtonRaise = 2;
constexpr int kButtonSide = 24;
constexpr int kChoiceLeft = 172;
constexpr int kButtonLeft = 140;
constexpr QSize kSignUpTextSize(500, 25);
constexpr QSize kNoServiceTextSize(613, 50);
constexpr int kEmailMarkLeft = 747;
constexpr int kPasswordMarkLeft = 567;

// The rows of each layout, at the places the form was drawn for.
constexpr QRect kSignInEmailLabel(192, 230, 160, 25);
constexpr QRect kSignInEmailFrame(362, 227, 380, 28);
constexpr QRect kSignInEmailBox(364, 232, 377, 21);
constexpr QRect kSignInPasswordLabel(192, 265, 160, 25);
constexpr QRect kSignInPasswordFrame(362, 262, 196, 27);
constexpr QRect kSignInPasswordBox(364, 266, 192, 22);
constexpr int kSignInTop = 300;

constexpr QRect kSignUpEmailLabel(192, 265, 160, 25);
constexpr QRect kSignUpEmailFrame(362, 262, 380, 29);
constexpr QRect kSignUpEmailBox(364, 266, 376, 23);
constexpr QRect kSignUpPasswordLabel(192, 300, 160, 25);
constexpr QRect kSignUpPasswordFrame(362, 298, 200, 28);
constexpr QRect kSignUpPasswordBox(364, 302, 196, 21);
constexpr QRect kConfirmationLabel(172, 335, 180, 25);
constexpr QRect kConfirmationFrame(362, 333, 200, 28);
constexpr QRect kConfirmationBox(364, 337, 196, 21);
constexpr QRect kTerms(360, 368, 30, 25);
constexpr QRect kTermsLink(392, 370, 180, 25);
constexpr int kSignUpTop = 395;

const QString kEmailCodes[] = {QStringLiteral("SIGNUPERR001"), QStringLiteral("SIGNUPERR006")};
const QString kPasswordCodes[] = {QStringLiteral("SIGNUPERR002"), QStringLiteral("SIGNUPERR003"),
                                  QStringLiteral("SIGNUPERR004")};

template <std::size_t N>
bool MentionsAny(const QString& text, const QString (&codes)[N]) {
    for (const QString& code : codes) {
        if (text.contains(code)) {
            return true;
        }
    }
    return false;
}

}  // namespace

NubraForm::NubraForm() {
    layOut();
}

int NubraForm::replyMask() const {
    int mask = 0;
    if (MentionsAny(signInError_, kEmailCodes) || MentionsAny(signUpError_, kEmailCodes)) {
        mask |= 1;
    }
    if (MentionsAny(signInError_, kPasswordCodes) || MentionsAny(signUpError_, kPasswordCodes)) {
        mask |= 2;
    }
    return mask;
}

bool NubraForm::NextEnabled(Choice choice, bool termsTicked) {
    return choice != kSignUp || termsTicked;
}

NubraForm::Effects NubraForm::choose(Choice choice) {
    clearErrors();
    look_.signInLabel.text.clear();
    look_.signUpLabel.text.clear();
    if (choice == kNoService) {
        hideMarks();
    }
    choice_ = choice;
    Effects effects = layOut();
    effects.emptyEmail = true;
    effects.emptyPasswords = true;
    return effects;
}

NubraForm::Effects NubraForm::layOut() {
    Effects effects;
    const int mask = replyMask();
    const bool emailMarked = (mask & 1) != 0 || emailInvalid_;
    const bool passwordMarked = (mask & 2) != 0;
    int y = kFirstTop;

    if (choice_ == kSignIn) {
        look_.confirmation.frameShown = false;
        look_.email.label = kSignInEmailLabel;
        look_.email.frame = kSignInEmailFrame;
        look_.email.box = kSignInEmailBox;
        look_.email.frameColour = emailMarked ? kRed : kGrey;
        look_.emailMark =
            emailMarked ? std::optional<QPoint>(QPoint(kEmailMarkLeft, 230)) : std::nullopt;
        look_.password.label = kSignInPasswordLabel;
        look_.password.frame = kSignInPasswordFrame;
        look_.password.box = kSignInPasswordBox;
        look_.passwordMark =
            passwordMarked ? std::optional<QPoint>(QPoint(kPasswordMarkLeft, 265)) : std::nullopt;
        look_.signUpLabel.shown = false;
        passwordsDiffer_ = false;
        effects.emptyConfirmation = true;
        y = kSignInTop;
    }

    look_.signUpText = QRect(QPoint(kChoiceLeft, y), kSignUpTextSize);
    look_.signUpButton = QRect(kButtonLeft, y - kButtonRaise, kButtonSide, kButtonSide);
    y += kSignUpPitch;

    if (choice_ == kSignUp) {
        look_.email.label = kSignUpEmailLabel;
        look_.email.frame = kSignUpEmailFrame;
        look_.email.box = kSignUpEmailBox;
        look_.email.frameColour = emailMarked ? kRed : kGrey;
        look_.emailMark =
            emailMarked ? std::optional<QPoint>(QPoint(kEmailMarkLeft, 265)) : std::nullopt;
        look_.password.label = kSignUpPasswordLabel;
        look_.password.frame = kSignUpPasswordFrame;
        look_.password.box = kSignUpPasswordBox;
        if (passwordMarked) {
            look_.passwordMark = QPoint(kPasswordMarkLeft, 300);
            // It stays pink until the user declines the service.
            look_.password.frameColour = kPink;
        } else if (!passwordsDiffer_) {
            look_.passwordMark.reset();
        }
        look_.confirmation.label = kConfirmationLabel;
        look_.confirmation.frame = kConfirmationFrame;
        look_.confirmation.box = kConfirmationBox;
        if (passwordsDiffer_) {
            look_.passwordMark = QPoint(kPasswordMarkLeft, 335);
            look_.confirmation.frameColour = kRed;
        } else {
            look_.confirmation.frameColour = kGrey;
        }
        look_.terms = kTerms;
        look_.termsLink = kTermsLink;
        y = kSignUpTop;
    }

    if (choice_ == kNoService) {
        look_.signInLabel = {};
        look_.signUpLabel = {};
        clearErrors();
        passwordsDiffer_ = false;
        look_.email.frameColour = kGrey;
        look_.password.frameColour = kGrey;
        look_.confirmation.frameColour = kGrey;
        effects.emptyEmail = true;
        effects.emptyPasswords = true;
    }

    look_.noServiceText = QRect(QPoint(kChoiceLeft, y), kNoServiceTextSize);
    look_.noServiceButton = QRect(kButtonLeft, y - kButtonRaise, kButtonSide, kButtonSide);
    y += kNoServicePitch;

    switch (choice_) {
        case kSignIn:
            look_.signInLabel.shown = !signInError_.isEmpty();
            if (look_.signInLabel.shown) {
                look_.signInLabel.text = signInError_;
                look_.signInLabel.top = y;
            }
            look_.signUpLabel.shown = false;
            break;
        case kSignUp:
            look_.signUpLabel.shown = !signUpError_.isEmpty();
            if (look_.signUpLabel.shown) {
                look_.signUpLabel.text = signUpError_;
                look_.signUpLabel.top = y - kSignUpLabelRaise;
            }
            look_.signInLabel.shown = false;
            break;
        case kNoService:
            look_.signInLabel.shown = false;
            look_.signUpLabel.shown = false;
            hideMarks();
            break;
    }

    const bool rows = choice_ != kNoService;
    look_.email.shown = rows;
    look_.email.frameShown = rows;
    look_.password.shown = rows;
    look_.password.frameShown = rows;
    look_.confirmation.shown = choice_ == kSignUp;
    look_.confirmation.frameShown = choice_ == kSignUp;
    look_.termsShown = choice_ == kSignUp;
    emailInvalid_ = false;
    return effects;
}

NubraForm::Effects NubraForm::emailLeft(const QString& email, const QString& confirmation) {
    Effects effects;
    if (!(email.isEmpty() && backgroundClicked_)) {
        if (!CheckEmailAddress(email)) {
            effects = showEmailError();
        } else if (confirmation.isEmpty()) {
            hideMarks();
            clearErrors();
            emailInvalid_ = false;
        }
    }
    backgroundClicked_ = false;
    return effects;
}

NubraForm::Effects NubraForm::passwordLeft(const QString& email, const QString& password,
                                           const QString& confirmation) {
    return passwordsCompared(email, password, confirmation, false);
}

NubraForm::Effects NubraForm::confirmationLeft(const QString& email, const QString& password,
                                               const QString& confirmation) {
    // Leaving the confirmation empty after a password is a mismatch.
    return passwordsCompared(email, password, confirmation, true);
}

NubraForm::Effects NubraForm::passwordsCompared(const QString& email, const QString& password,
                                                const QString& confirmation, bool compareEmpty) {
    Effects effects;
    if (!email.isEmpty() && !CheckEmailAddress(email)) {
        effects = showEmailError();
    } else if (!confirmation.isEmpty() || compareEmpty) {
        if (password == confirmation) {
            hideMarks();
            clearErrors();
            passwordsDiffer_ = false;
            effects = layOut();
        } else {
            effects = showPasswordError();
        }
    }
    backgroundClicked_ = false;
    return effects;
}

NubraForm::Effects NubraForm::emailChanged(const QString& email) {
    Effects effects;
    if (look_.email.frameColour != kRed || !CheckEmailAddress(email)) {
        return effects;
    }
    clearErrors();
    look_.email.frameColour = kGrey;
    hideMarks();
    look_.signInLabel.shown = false;
    look_.signUpLabel.shown = false;
    emailInvalid_ = false;
    effects.caretToEnd = true;
    return effects;
}

NubraForm::Step NubraForm::next(const QString& email, const QString& password,
                                const QString& confirmation, bool termsTicked) {
    switch (choice_) {
        case kSignIn:
            if (!CheckEmailAddress(email)) {
                showEmailError();
                return Step::Stay;
            }
            return Step::SignIn;
        case kSignUp:
            if (!termsTicked) {
                return Step::Stay;
            }
            if (!CheckEmailAddress(email)) {
                showEmailError();
                return Step::Stay;
            }
            if (password != confirmation) {
                showPasswordError();
                return Step::Stay;
            }
            // Found equal now, even when Enter came before the box was left.
            passwordsDiffer_ = false;
            return Step::SignUp;
        case kNoService:
            return Step::NoService;
    }
    return Step::Stay;
}

void NubraForm::attemptStarted() {
    clearErrors();
}

NubraForm::Effects NubraForm::attemptFailed(const QString& errorText) {
    if (choice_ == kSignUp) {
        signUpError_ = errorText;
    } else {
        signInError_ = errorText;
    }
    return layOut();
}

void NubraForm::setMessages(const QString& emailError, const QString& passwordError) {
    emailErrorText_ = emailError;
    passwordErrorText_ = passwordError;
}

NubraForm::Effects NubraForm::showEmailError() {
    signInError_ = emailErrorText_;
    signUpError_ = emailErrorText_;
    emailInvalid_ = true;
    return layOut();
}

NubraForm::Effects NubraForm::showPasswordError() {
    signInError_ = passwordErrorText_;
    signUpError_ = passwordErrorText_;
    passwordsDiffer_ = true;
    return layOut();
}

void NubraForm::clearErrors() {
    signInError_.clear();
    signUpError_.clear();
}

void NubraForm::hideMarks() {
    look_.emailMark.reset();
    look_.passwordMark.reset();
}
