#pragma once

#include <QRect>
#include <QString>

class QWidget;
namespace controls {
class CApproStatic;
class CIconButton;
class CLoadingStatic;
}  // namespace controls

// What both search pages show around their list: Rescan at the right under the description,
// the busy indicator while a search runs, and the note that stands in for an empty list. The
// page places the indicator and the note; their looks and Rescan's size are shared.
class SearchControls final {
public:
    static constexpr int kRescanId = 1035;

    // Made on `page`, the indicator and the note hidden; `busyName` and `noteName` are the
    // object names the page's tests know them by.
    SearchControls(QWidget* page, const QString& busyName, const QString& noteName);

    // Rescan's and the indicator's texts, and the note's.
    void retranslate(const QString& note);
    // Rescan as wide as its caption needs, its right edge at x 782 and its top at `top`.
    void placeRescan(int top);
    // The indicator and the note stand over the list: called once the list exists.
    void raiseOverList();
    // Shows the indicator running, or stops and hides it.
    void showBusy(bool busy);

    controls::CIconButton* rescan() const { return rescan_; }
    controls::CLoadingStatic* busy() const { return busy_; }
    controls::CApproStatic* note() const { return note_; }

private:
    controls::CIconButton* rescan_;
    controls::CLoadingStatic* busy_;
    controls::CApproStatic* note_;
};
