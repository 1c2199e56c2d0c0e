// The updater's dialog templates and string table, kept in res/updrift/resources.json
// (compiled into the program): controls by id, kind and position in dialog units.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QWidget>

namespace updater {

// Pixels per dialog unit, the same on both axes.
inline constexpr double kPixelsPerDialogUnit = 1.75;

int DialogUnitsToPixels(int units);

// A string of the table; empty when the id is not there.
QString LoadResString(int id);

// The program icon, resource 131.
QIcon ProgramIcon();

// Gives dialog the template's caption, font and size and creates its controls on it.
// Controls with an id get it as their object name ("1001") and are returned by id.
QHash<int, QWidget*> BuildDialog(int templateId, QWidget* dialog);

}  // namespace updater
