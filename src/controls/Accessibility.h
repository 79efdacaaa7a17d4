#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace controls {

// What assistive tools see of the self-painted controls, which Qt would only know as plain
// widgets: the combo box with its shown text as value, picture buttons as push buttons, check
// boxes or radio buttons by their mode (checked while latched), links, the labels and the
// summary panel as static text named by their text, and the recorder list with one checkable item
// per row.
//
// This file installs the factory with QAccessible::installFactory when the program starts
// (orb_ui is an object library, so it is always linked); nothing needs to call it. Qt asks
// the factory for every class of an object, most derived first, so subclasses are covered.
QAccessibleInterface* AccessibleControl(const QString& className, QObject* object);

}  // namespace controls
