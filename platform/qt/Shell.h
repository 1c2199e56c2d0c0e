// Opening a document, folder or URL with the desktop's "open" (xdg-open underneath).
// One handler does the opening, and a test replaces it in-process, so no test starts a
// browser or a file manager.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

namespace platform {

// A URL ("scheme://...") as it stands; anything else is a local path.
QUrl shellUrlFor(const QString& target);
// A local path given as its exact bytes on disk (valid UTF-8 or not).
QUrl shellUrlForExactPath(const std::string& exactPath);

// Opens with "open", shown normally; false when the desktop could not open it.
bool ShellOpen(const QUrl& url);

// Replaces the handler (an empty function restores the desktop's).
void setShellOpenHandler(std::function<bool(const QUrl&)> handler);

}  // namespace platform
