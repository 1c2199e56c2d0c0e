#include "updater/ui/DialogLayout.h"

#include <QFile>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

static void initUpdriftResources() {
    Q_INIT_RESOURCE(updrift);
}

namespace updater {

namespace {

const QJsonObject& resources() {
    static const QJsonObject root = [] {
        initUpdriftResources();
        QFile file(":/updrift/resources.json");
        file.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return root;
}

QRect toPixels(const QJsonObject& c) {
    return QRect(DialogUnitsToPixels(c["x"].toInt()), DialogUnitsToPixels(c["y"].toInt()),
                 DialogUnitsToPixels(c["w"].toInt()), DialogUnitsToPixels(c["h"].toInt()));
}

QWidget* makeControl(const QJsonObject& c, QWidget* dialog) {
    const QString kind = c["kind"].toString();
    const QString text = c["text"].toString();
    if (kind == "static") {
        auto* label = new QLabel(text, dialog);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }
    if (kind == "icon") {
        auto* label = new QLabel(dialog);
        const QRect r = toPixels(c);
        label->setPixmap(ProgramIcon().pixmap(r.size()));
        return label;
    }
    if (kind == "progress") {
        auto* bar = new QProgressBar(dialog);
        bar->setTextVisible(false);
        return bar;
    }
    if (kind == "button") {
        auto* button = new QPushButton(text, dialog);
        button->setDefault(c["default"].toBool());
        return button;
    }
    auto* frame = new QFrame(dialog);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

}  // namespace

int DialogUnitsToPixels(int units) {
    return static_cast<int>(std::lround(units * kPixelsPerDialogUnit));
}

QString LoadResString(int id) {
    return resources()["strings"].toObject()[QString::number(id)].toString();
}

QIcon ProgramIcon() {
    initUpdriftResources();
    return QIcon(":/updrift/icon131.png");
}

QHash<int, QWidget*> BuildDialog(int templateId, QWidget* dialog) {
    const QJsonObject t = resources()["dialogs"].toObject()[QString::number(templateId)].toObject();
    dialog->setWindowTitle(t["caption"].toString());
    QFont font(t["font"].toString());
    font.setPointSize(t["points"].toInt(9));
    dialog->setFont(font);
    dialog->setFixedSize(DialogUnitsToPixels(t["width"].toInt()),
                         DialogUnitsToPixels(t["height"].toInt()));
    QHash<int, QWidget*> controls;
    for (const QJsonValue& v : t["controls"].toArray()) {
        const QJsonObject c = v.toObject();
        QWidget* w = makeControl(c, dialog);
        w->setGeometry(toPixels(c));
        const int id = c["id"].toInt();
        if (id > 0) {
            w->setObjectName(QString::number(id));
            controls.insert(id, w);
        }
    }
    return controls;
}

}  // namespace updater
