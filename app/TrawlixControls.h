// The one place where the main dialog's controls are made, by id and kind: skinned
// controls take their ids here; everything else is the window layer's standard kind.
#pragma once

#include <QWidget>

#include "platform/qt/Layout.h"

QWidget* CreateTrawlixControl(const platform::ControlSpec& desc, QWidget* parent);
