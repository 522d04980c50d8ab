// A restore from an empty memory file would leave the device with nothing, so
// it is armed only when the user says so.
#pragma once

#include <QString>

class QWidget;

namespace orv {

// True when path may be armed for a restore: it is not an empty file, or the
// user answers Yes to the question (No being the default).
bool ConfirmRestoreFrom(const QString& path, QWidget* parent);

}  // namespace orv
