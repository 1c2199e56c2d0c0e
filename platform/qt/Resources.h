// Resources by kind and id, as the dialogs ask for them: bitmaps, icons, GIFs and the
// dialog layouts, embedded with the Qt resource system under ":/<kind>/<id>"
// (":/bitmap/134", ":/icon/127", ":/gif/130") and ":/layout/dialogs".
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <optional>

#include "platform/qt/Layout.h"

namespace platform {

QString resourcePath(const char* kind, int id);

// Null pixmap / icon / empty data when the resource is missing.
QPixmap LoadBitmap(int id);
QIcon LoadIcon(int id);
QByteArray LoadResourceData(const char* kind, int id);

// The dialog template `id` of the embedded layout file; nullopt when missing.
std::optional<DialogTemplate> LoadDialogTemplate(int id);

}  // namespace platform
