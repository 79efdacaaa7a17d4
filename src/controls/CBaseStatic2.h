#pragma once

#include "controls/CBaseStatic.h"

namespace controls {

// A multi-line label whose text marks emphasised words with "<br>" … "</br>" (the markers
// never show and do not break the line); emphasised words are drawn bold in the label's
// family, size and colour.
class CBaseStatic2 : public CBaseStatic {
    Q_OBJECT
public:
    explicit CBaseStatic2(QWidget* parent);

    // The runs of `text`: text between "<br>" and "</br>" is emphasised; runs of nothing but
    // spaces are dropped.
    static QList<TextSegment> SplitSegments(const QString& text);

protected:
    QList<TextSegment> segments() const override { return SplitSegments(text()); }
    QString plainText() const override;
};

}  // namespace controls
