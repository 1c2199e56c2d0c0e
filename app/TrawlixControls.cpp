#include "app/TrawlixControls.h"

#include "app/TrawlixDlg.h"
#include "controls/CButtonST.h"
#include "controls/CEditTrans.h"
#include "controls/CNoFlickerStatic.h"
#include "controls/CPictureEx.h"
#include "controls/CWinXPButtonST.h"
#include "platform/qt/ControlFactory.h"

namespace {

QString textOf(const platform::ControlSpec& desc) {
    return QString::fromUtf8(desc.text.data(), static_cast<qsizetype>(desc.text.size()));
}

// The skinned buttons are push buttons underneath: Enter goes to the default one only,
// whichever button has the focus, as with the plain buttons of the window layer.
template <class Button>
Button* makeButton(const platform::ControlSpec& desc, QWidget* parent, CButtonST::Kind kind) {
    auto* b = new Button(textOf(desc), parent, kind);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QWidget* CreateTrawlixControl(const platform::ControlSpec& desc, QWidget* parent) {
    QWidget* w = nullptr;
    const CButtonST::Kind pushKind =
        desc.has("default") ? CButtonST::Kind::DefaultPushButton : CButtonST::Kind::PushButton;
    switch (desc.id) {
        case IDC_EDIT_TERM:
            w = new CEditTrans(parent);
            static_cast<CEditTrans*>(w)->setText(textOf(desc));
            break;
        case IDC_BTN_SEARCH:
        case IDC_BTN_INQUIRY:
            w = makeButton<CWinXPButtonST>(desc, parent, pushKind);
            break;
        case IDC_BTN_CLOSE:
            w = makeButton<CButtonST>(desc, parent, pushKind);
            break;
        case IDC_CHK_EXCLUDE_LOCAL:
            w = makeButton<CButtonST>(desc, parent, CButtonST::Kind::CheckBox);
            break;
        case IDC_STC_LOCAL_STATUS:
            w = new CNoFlickerStatic(parent);
            static_cast<CNoFlickerStatic*>(w)->SetText(textOf(desc));
            break;
        case IDC_PIC_BUSY:
            w = new CPictureEx(parent);
            break;
        default:
            // Everything else is the window layer's standard widget of its kind.
            return platform::createStandardControl(desc, parent);
    }
    w->setFocusPolicy(desc.has("tabstop") ? Qt::StrongFocus : Qt::NoFocus);
    return w;
}
