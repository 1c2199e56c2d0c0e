// The one place where a control kind of a layout becomes a widget. A dialog that
// wants other widgets for some ids (skinned ones) overrides CDialogBase::CreateControl
// and falls back to this for the rest.
#pragma once

#include <QWidget>

#include "platform/qt/Layout.h"

namespace platform {

// A widget for desc.kind with its text and styles, a child of parent; null for an
// unknown kind. Position, size and visibility are set by the dialog.
QWidget* createStandardControl(const ControlSpec& desc, QWidget* parent);

}  // namespace platform
