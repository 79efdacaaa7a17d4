#pragma once

#include <QAbstractButton>

namespace controls {

// The wizard's buttons share one state word that decides what they draw:
// 0 disabled, 1 normal, 2 pressed or latched, 3 hover.
class CStateButton : public QAbstractButton {
    Q_OBJECT
public:
    CStateButton(int controlId, QWidget* parent);

    int controlId() const { return controlId_; }
    int state() const;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int controlId_;
    bool hovered_ = false;
};

}  // namespace controls
