#include "app/TrawlixControls.h"

#include "platform/qt/ControlFactory.h"

QWidget* CreateTrawlixControl(const platform::ControlSpec& spec, QWidget* parent) {
    // Until the skinned controls exist every id gets the standard widget of its kind;
    // the dialog reaches them through their Qt base classes (QLineEdit, QAbstractButton,
    // QLabel), which the skinned ones derive from.
    return platform::createStandardControl(spec, parent);
}
