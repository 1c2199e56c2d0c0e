#include "platform/qt/ControlFactory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/ListView.h"
#include "platform/qt/Resources.h"

namespace platform {

QWidget* createStandardControl(const ControlSpec& spec, QWidget* parent) {
    const QString text = QString::fromUtf8(spec.text.data(), spec.text.size());
    const Qt::FocusPolicy focus = spec.has("tabstop") ? Qt::StrongFocus : Qt::NoFocus;
    if (spec.kind == "edit") {
        auto* e = new QLineEdit(text, parent);
        e->setFrame(!spec.has("transparent"));
        if (spec.has("transparent")) {
            e->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
        }
        e->setFocusPolicy(focus);
        return e;
    }
    if (spec.kind == "button") {
        auto* b = new QPushButton(text, parent);
        b->setAutoDefault(false);
        b->setDefault(spec.has("default"));
        b->setFocusPolicy(focus);
        return b;
    }
    if (spec.kind == "checkbox") {
        auto* c = new QCheckBox(text, parent);
        c->setFocusPolicy(focus);
        return c;
    }
    if (spec.kind == "listview") {
        auto* l = new CListView(parent);
        if (spec.has("border")) {
            l->setFrameShape(QFrame::Box);
        }
        l->setFocusPolicy(focus);
        return l;
    }
    if (spec.kind == "static" || spec.kind == "blackrect") {
        auto* s = new QLabel(text, parent);
        s->setAlignment(spec.has("center") ? Qt::AlignHCenter | Qt::AlignTop
                                           : Qt::AlignLeft | Qt::AlignTop);
        if (spec.kind == "blackrect") {
            s->setStyleSheet(QStringLiteral("QLabel { background: black; }"));
        }
        return s;
    }
    if (spec.kind == "bitmap" || spec.kind == "icon") {
        auto* s = new QLabel(parent);
        s->setProperty("bitmapId", QString::fromStdString(spec.text).toInt());
        return s;
    }
    return nullptr;
}

}  // namespace platform
