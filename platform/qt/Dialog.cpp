#include "platform/qt/Dialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/ControlFactory.h"
#include "platform/qt/ListView.h"
#include "platform/qt/Resources.h"

namespace platform {

namespace {

// A posted window message, carried as a queued event.
class MessageEvent : public QEvent {
public:
    static QEvent::Type kind() {
        static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }
    MessageEvent(uint32_t m, uint64_t w, int64_t l)
        : QEvent(kind()), message(m), wParam(w), lParam(l) {}
    const uint32_t message;
    const uint64_t wParam;
    const int64_t lParam;
};

}  // namespace

bool WindowHandle::PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) const {
    if (!m_block) {
        return false;
    }
    // Held while posting, so the dialog can't be destroyed between the check and the
    // post; postEvent never waits for the window's thread.
    std::lock_guard<std::mutex> lock(m_block->mutex);
    if (!m_block->target) {
        return false;
    }
    QCoreApplication::postEvent(m_block->target, new MessageEvent(message, wParam, lParam));
    return true;
}

bool WindowHandle::IsWindow() const {
    if (!m_block) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_block->mutex);
    return m_block->target != nullptr;
}

CDialogBase::CDialogBase(int templateId, QWidget* parent) : QDialog(parent) {
    if (auto t = LoadDialogTemplate(templateId)) {
        m_template = std::move(*t);
        m_haveTemplate = true;
    }
    m_handle.m_block = std::make_shared<WindowHandle::Block>();
    m_handle.m_block->target = this;
}

CDialogBase::CDialogBase(DialogTemplate tmpl, QWidget* parent)
    : QDialog(parent), m_template(std::move(tmpl)), m_haveTemplate(true) {
    m_handle.m_block = std::make_shared<WindowHandle::Block>();
    m_handle.m_block->target = this;
}

CDialogBase::~CDialogBase() {
    detachHandle();
}

void CDialogBase::detachHandle() {
    std::lock_guard<std::mutex> lock(m_handle.m_block->mutex);
    m_handle.m_block->target = nullptr;
}

bool CDialogBase::Create() {
    if (m_created) {
        return true;
    }
    if (!m_haveTemplate) {
        return false;
    }
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(m_template.title));
    QFont font;
    font.setFamilies({QString::fromStdString(m_template.fontFace), QStringLiteral("NanumGothic")});
    font.setPointSize(m_template.fontPoints);
    setFont(font);
    resize(dialogUnitsToPixels(m_template.width), dialogUnitsToPixels(m_template.height));

    std::vector<QWidget*> order;
    for (const ControlSpec& desc : m_template.controls) {
        QWidget* w = CreateControl(desc);
        if (!w) {
            return false;
        }
        w->setGeometry(dialogUnitsToPixels(desc.x), dialogUnitsToPixels(desc.y),
                       dialogUnitsToPixels(desc.width), dialogUnitsToPixels(desc.height));
        if (desc.kind == "bitmap") {
            // A bitmap static takes the size of its bitmap.
            const QPixmap pm = LoadBitmap(QString::fromStdString(desc.text).toInt());
            if (auto* label = qobject_cast<QLabel*>(w); label && !pm.isNull()) {
                label->setPixmap(pm);
                label->resize(pm.size());
            }
        } else if (desc.kind == "icon") {
            const QIcon icon = LoadIcon(QString::fromStdString(desc.text).toInt());
            if (auto* label = qobject_cast<QLabel*>(w); label && !icon.isNull()) {
                label->setPixmap(icon.pixmap(32, 32));
                label->resize(32, 32);
            }
        }
        w->setVisible(desc.has("visible"));
        const int id = desc.id;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        }
        if (auto* l = qobject_cast<CListView*>(w)) {
            connect(l, &CListView::rowDoubleClicked, this,
                    [this, id](int row) { OnListDoubleClick(id, row); });
        }
        m_controls[id] = w;
        order.push_back(w);
    }
    // The first control of a template is the topmost, as on the system it was made for.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        (*it)->raise();
    }
    // Tab order follows the template.
    for (size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    m_created = true;
    if (OnInitDialog()) {
        for (QWidget* w : order) {
            if (w->isVisibleTo(this) && w->focusPolicy() != Qt::NoFocus) {
                w->setFocus();
                break;
            }
        }
    }
    return true;
}

int CDialogBase::DoModal() {
    if (!Create()) {
        return -1;
    }
    const int r = exec();
    DestroyWindow();
    return r;
}

void CDialogBase::EndDialog(int result) {
    done(result);
}

void CDialogBase::DestroyWindow() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    hide();
    detachHandle();
}

QWidget* CDialogBase::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second.data();
}

QString CDialogBase::GetDlgItemText(int id) const {
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        return e->text();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        return b->text();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    return {};
}

void CDialogBase::SetDlgItemText(int id, const QString& text) {
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(text);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    }
}

void CDialogBase::ShowControl(int id, bool show) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setVisible(show);
    }
}

void CDialogBase::MoveControl(int id, const QPoint& clientPos) {
    if (QWidget* w = GetDlgItem(id)) {
        w->move(clientPos);
    }
}

int CDialogBase::ControlOuterWidth(int id) const {
    QWidget* w = GetDlgItem(id);
    return w ? w->frameGeometry().width() : 0;
}

void CDialogBase::FocusControl(int id) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setFocus();
    }
}

QWidget* CDialogBase::CreateControl(const ControlSpec& desc) {
    return createStandardControl(desc, this);
}

void CDialogBase::OnMessage(uint32_t, uint64_t, int64_t) {}

void CDialogBase::OnCommand(int id) {
    if (id == 1) {
        OnOK();
    } else if (id == 2) {
        OnCancel();
    }
}

void CDialogBase::OnListDoubleClick(int, int) {}

bool CDialogBase::event(QEvent* e) {
    if (e->type() == MessageEvent::kind()) {
        const auto* m = static_cast<MessageEvent*>(e);
        OnMessage(m->message, m->wParam, m->lParam);
        return true;
    }
    return QDialog::event(e);
}

void CDialogBase::accept() {
    OnCommand(1);
}

void CDialogBase::reject() {
    OnCommand(2);
}

}  // namespace platform
