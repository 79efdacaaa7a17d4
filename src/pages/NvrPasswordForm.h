#pragma once

#include <QString>

// The rule a new recorder password keeps: 6 to 31 UTF-16 units, ASCII letters and digits only,
// case kept as typed.
bool KeepsPasswordRule(const QString& password);

// What the password step's boxes show while the user types: which box carries the red mark and
// frame, and which message the banner holds. Pure, so every path can be tested without widgets.
class NvrPasswordForm final {
public:
    enum class Mode { Create, Verify };
    enum class Mark { None = -1, First = 1, Second = 2 };
    enum class Message {
        None,
        RuleWhileTyping,  // "Error: " + the rule, its short wording
        RuleOnNext,       // "Error: " + the rule, its long wording
        Mismatch,         // "Error: " + the boxes differ
        Incorrect,        // "Error: " + the recorder refused the password
        SetFailed,        // the recorder did not confirm; no prefix
    };

    explicit NvrPasswordForm(Mode mode = Mode::Create) : mode_(mode) {}

    Mode mode() const { return mode_; }
    void setMode(Mode mode);
    Mark mark() const { return mark_; }
    Message message() const { return message_; }
    bool bannerShown() const { return message_ != Message::None; }

    void firstChanged(const QString& first);
    void secondChanged(const QString& first);
    void firstLeft(const QString& first, const QString& second);
    void secondLeft(const QString& first, const QString& second);
    // True when the password may be sent; otherwise the mark and message say why not.
    bool acceptNext(const QString& first, const QString& second);

    // The outcomes of a request that was sent.
    void refused();
    void setFailed();

private:
    // False (and the mark set) when the first box breaks the rule.
    bool checkFirst(const QString& first, Message message);
    void clear();

    Mode mode_;
    Mark mark_ = Mark::None;
    Message message_ = Message::None;
};
