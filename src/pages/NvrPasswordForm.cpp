#include "pages/NvrPasswordForm.h"

namespace {

constexpr qsizetype kShortest = 6;
constexpr qsizetype kLongest = 31;

bool IsAsciiLetterOrDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

}  // namespace

bool KeepsPasswordRule(const QString& password) {
    if (password.size() < kShortest || password.size() > kLongest) {
        return false;
    }
    for (const QChar c : password) {
        if (!IsAsciiLetterOrDigit(c)) {
            return false;
        }
    }
    return true;
}

void NvrPasswordForm::setMode(Mode mode) {
    mode_ = mode;
    clear();
}

void NvrPasswordForm::clear() {
    mark_ = Mark::None;
    message_ = Message::None;
}

bool NvrPasswordForm::checkFirst(const QString& first, Message message) {
    if (KeepsPasswordRule(first)) {
        return true;
    }
    mark_ = Mark::First;
    message_ = message;
    return false;
}

void NvrPasswordForm::firstChanged(const QString& first) {
    if (mode_ == Mode::Verify) {
        clear();
        return;
    }
    // A mark without its banner would leave the user guessing, so both go together.
    if (checkFirst(first, Message::RuleWhileTyping)) {
        clear();
    }
}

void NvrPasswordForm::secondChanged(const QString& first) {
    if (mode_ == Mode::Create && KeepsPasswordRule(first)) {
        clear();
    }
}

void NvrPasswordForm::firstLeft(const QString& first, const QString& second) {
    if (mode_ != Mode::Create) {
        return;
    }
    if (!checkFirst(first, Message::RuleWhileTyping)) {
        return;
    }
    clear();
    if (!second.isEmpty() && second != first) {
        mark_ = Mark::Second;
        message_ = Message::Mismatch;
    }
}

void NvrPasswordForm::secondLeft(const QString& first, const QString& second) {
    if (mode_ != Mode::Create) {
        return;
    }
    if (!checkFirst(first, Message::RuleWhileTyping)) {
        return;
    }
    clear();
    if (second != first) {
        mark_ = Mark::Second;
        message_ = Message::Mismatch;
    }
}

bool NvrPasswordForm::acceptNext(const QString& first, const QString& second) {
    mark_ = Mark::None;
    if (mode_ == Mode::Create) {
        if (!checkFirst(first, Message::RuleOnNext)) {
            return false;
        }
        if (second != first) {
            mark_ = Mark::Second;
            message_ = Message::Mismatch;
            return false;
        }
    }
    message_ = Message::None;
    return true;
}

void NvrPasswordForm::refused() {
    mark_ = Mark::First;
    message_ = Message::Incorrect;
}

void NvrPasswordForm::setFailed() {
    mark_ = Mark::None;
    message_ = Message::SetFailed;
}
