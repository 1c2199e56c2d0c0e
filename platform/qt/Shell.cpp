#include "platform/qt/Shell.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace platform {

namespace {

std::function<bool(const QUrl&)>& handler() {
    static std::function<bool(const QUrl&)> h;
    return h;
}

}  // namespace

QUrl shellUrlFor(const QString& target) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (scheme.match(target).hasMatch()) {
        return QUrl(target, QUrl::TolerantMode);
    }
    return QUrl::fromLocalFile(target);
}

QUrl shellUrlForExactPath(const std::string& exactPath) {
    // Percent-encoding the bytes keeps a name that is not UTF-8 exactly as it is.
    const QByteArray raw(exactPath.data(), static_cast<qsizetype>(exactPath.size()));
    return QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"), QUrl::StrictMode);
}

bool ShellOpen(const QUrl& url) {
    if (handler()) {
        return handler()(url);
    }
    return QDesktopServices::openUrl(url);
}

void setShellOpenHandler(std::function<bool(const QUrl&)> h) {
    handler() = std::move(h);
}

}  // namespace platform
