#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// What the cloud step's form shows for each choice and after each check: where the rows stand,
// which rows carry a red mark or a coloured frame, and which error label holds what. Pure, so
// every path of the form can be tested without widgets; the page only applies the look.
class NubraForm final {
public:
    enum Choice { kSignIn = 1, kSignUp = 2, kNoService = 3 };

    static constexpr QColor kGrey{0xC0, 0xC0, 0xC0};
    static constexpr QColor kRed{0xFF, 0x00, 0x00};
    static constexpr QColor kPink{0xEE, 0xC0, 0xC0};
    static constexpr int kMarkSide = 25;

    // One labelled box in its rounded frame.
    struct Row {
        QRect label;
        QRect frame;
        QRect box;
        QColor frameColour = kGrey;
        bool shown = false;
        bool frameShown = false;
    };
    struct ErrorLabel {
        QString text;
        int top = 0;  // its height follows the wrapped text
        bool shown = false;
    };
    struct Look {
        Row email;
        Row password;
        Row confirmation;
        QRect signUpText;
        QRect signUpButton;
        QRect noServiceText;
        QRect noServiceButton;
        QRect terms;
        QRect termsLink;
        bool termsShown = false;
        std::optional<QPoint> emailMark;
        std::optional<QPoint> passwordMark;  // shared by the password and confirmation rows
        ErrorLabel signInLabel;
        ErrorLabel signUpLabel;
    };

    // What the page must do to the boxes besides applying the look.
    struct Effects {
        bool emptyEmail = false;
        bool emptyPasswords = false;  // the password and confirmation boxes
        bool emptyConfirmation = false;
        bool caretToEnd = false;  // of the e-mail box
    };

    // What a press of Next leads to.
    enum class Step { Stay, SignIn, SignUp, NoService };

    NubraForm();

    // The texts of the form's own two errors, in the page's language.
    void setMessages(const QString& emailError, const QString& passwordError);

    Choice choice() const { return choice_; }
    const Look& look() const { return look_; }
    const QString& signInErrorText() const { return signInError_; }
    const QString& signUpErrorText() const { return signUpError_; }
    bool emailInvalid() const { return emailInvalid_; }
    bool passwordsDiffer() const { return passwordsDiffer_; }
    bool backgroundClicked() const { return backgroundClicked_; }
    // Bit 0: the e-mail row is marked by the portal's reply; bit 1: the password rows.
    int replyMask() const;

    // A choice button: the form emptied and laid out anew.
    Effects choose(Choice choice);
    // Next may be pressed: always, except for a sign-up whose terms are not accepted.
    static bool NextEnabled(Choice choice, bool termsTicked);

    void backgroundClick() { backgroundClicked_ = true; }
    Effects emailLeft(const QString& email, const QString& confirmation);
    Effects passwordLeft(const QString& email, const QString& password,
                         const QString& confirmation);
    Effects confirmationLeft(const QString& email, const QString& password,
                             const QString& confirmation);
    Effects emailChanged(const QString& email);

    // Next: the checks that stop it, and otherwise what to try.
    Step next(const QString& email, const QString& password, const QString& confirmation,
              bool termsTicked);
    // An attempt begins: the error texts of the last one go.
    void attemptStarted();
    // An attempt failed with the portal's text (empty when there is none to show).
    Effects attemptFailed(const QString& errorText);

    Effects layOut();

private:
    Effects showEmailError();
    Effects showPasswordError();
    Effects passwordsCompared(const QString& email, const QString& password,
                              const QString& confirmation, bool compareEmpty);
    void clearErrors();
    void hideMarks();

    Choice choice_ = kSignIn;
    Look look_;
    QString signInError_;
    QString signUpError_;
    QString emailErrorText_;
    QString passwordErrorText_;
    bool emailInvalid_ = false;
    bool passwordsDiffer_ = false;
    bool backgroundClicked_ = false;
};
