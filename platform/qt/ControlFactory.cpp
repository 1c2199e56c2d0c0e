#include "platform/qt/ControlFactory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/ListView.h"
#include "platform/qt/Resources.h"

namespace platform {

QWidget* createStandardControl(const ControlSpec& desc, QWidget* parent) {
    const QString text = QString::fromUtf8(desc.text.data(), desc.text.size());
    const Qt::FocusPolicy focus = desc.has("tabstop") ? Qt::StrongFocus : Qt::NoFocus;
    if (desc.kind == "edit") {
        auto* e = new QLineEdit(text, parent);
        e->setFrame(!desc.has("transparent"));
        if (desc.has("transparent")) {
            e->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
        }
        e->setFocusPolicy(focus);
        return e;
    }
    if (desc.kind == "button") {
        auto* b = new QPushButton(text, parent);
        b->setAutoDefault(false);
        b->setDefault(desc.has("default"));
        b->setFocusPolicy(focus);
        return b;
    }
    if (desc.kind == "checkbox") {
        auto* c = new QCheckBox(text, parent);
        c->setFocusPolicy(focus);
        return c;
    }
    if (desc.kind == "listview") {
        auto* l = new CListView(parent);
        if (desc.has("border")) {
            l->setFrameShape(QFrame::Box);
        }
        l->setFocusPolicy(focus);
        return l;
    }
    if (desc.kind == "static" || desc.kind == "blackrect") {
        auto* s = new QLabel(text, parent);
        s->setAlignment(desc.has("center") ? Qt::AlignHCenter | Qt::AlignTop
                                           : Qt::AlignLeft | Qt::AlignTop);
        if (desc.kind == "blackrect") {
            s->setStyleSheet(QStringLiteral("QLabel { background: black; }"));
        }
        return s;
    }
    if (desc.kind == "bitmap" || desc.kind == "icon") {
        auto* s = new QLabel(parent);
        s->setProperty("bitmapId", QString::fromStdString(desc.text).toInt());
        return s;
    }
    return nullptr;
}

}  // namespace platform
