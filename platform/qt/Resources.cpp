#include "platform/qt/Resources.h"

#include <QFile>

namespace platform {

QString resourcePath(const char* kind, int id) {
    return QStringLiteral(":/%1/%2").arg(QString::fromLatin1(kind)).arg(id);
}

QPixmap LoadBitmap(int id) {
    return QPixmap(resourcePath("bitmap", id));
}

QIcon LoadIcon(int id) {
    const QString path = resourcePath("icon", id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QByteArray LoadResourceData(const char* kind, int id) {
    QFile f(resourcePath(kind, id));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

std::optional<DialogTemplate> LoadDialogTemplate(int id) {
    QFile f(QStringLiteral(":/layout/dialogs"));
    if (!f.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray text = f.readAll();
    for (DialogTemplate& d : parseLayout(std::string_view(text.constData(), text.size()))) {
        if (d.id == id) {
            return std::move(d);
        }
    }
    return std::nullopt;
}

}  // namespace platform
