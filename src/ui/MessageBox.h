// The program's message boxes: caption "ORV by Tarveline", owned by the window
// the user is looking at.
#pragma once

#include <QMessageBox>
#include <QString>

#include "core/Outcome.h"

namespace orv {

QMessageBox::Icon QtIcon(MessageIcon icon);

// The window a message should belong to: the open modal dialog, else the active
// window, else the main window.
QWidget* MessageOwner();

// Shows text and returns the button pressed.
QMessageBox::StandardButton ShowMessageBox(
    const QString& text, QMessageBox::Icon icon,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
    const QString& caption = QString());

// Shows the messages of Qt-free work one after the other, each with OK;
// true when the work succeeded.
bool ShowMessages(const Outcome& outcome);
// The standard file-error text of the error, as a warning with OK.
void ShowFileError(const FileError& error);

}  // namespace orv
