// The one door through which the windows open message boxes, file dialogs and
// the folder dialog. The default answers with Qt's dialogs; tests install their
// own answers, so that no test ever waits on a modal dialog.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class TDialogs {
 public:
  enum TMsgIcon { miNone, miError, miWarning, miInformation, miConfirmation };
  enum TMsgButtons { mbOK, mbOKCancel, mbYesNo };
  // The button pressed; the values of a form's modal results.
  enum TMsgResult { idNone = 0, idOk = 1, idCancel = 2, idYes = 6, idNo = 7 };

  virtual ~TDialogs() = default;

  // The dialogs every window uses unless told otherwise: Qt's. Never null.
  static TDialogs* Default();
  // Replaces what Default() gives (nullptr puts Qt's back); returns the one replaced.
  static TDialogs* SetDefault(TDialogs* dialogs);

  // A plain box with the text and an OK button.
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
  // A box with an icon and a chosen set of buttons; returns the button pressed
  // (closing the box counts as Cancel, or No for a Yes/No box).
  virtual TMsgResult MessageBox(QWidget* parent, const QString& text, TMsgIcon icon, TMsgButtons buttons) = 0;

  // File names chosen in a file-open dialog that starts in `directory`, or an
  // empty list when the user cancels. `filter` is written "Name|*.X|Name|*.*".
  virtual QStringList GetOpenFileNames(QWidget* parent, const QString& directory, const QString& filter) = 0;
  // The name chosen in a file-save dialog (existing files are not questioned),
  // or an empty string when the user cancels.
  virtual QString GetSaveFileName(QWidget* parent, const QString& directory, const QString& filter) = 0;
  // A folder chosen in the folder dialog (which may create a new folder), or
  // an empty string when the user cancels. A folder typed in the dialog is
  // given back as typed, whether it exists or not.
  virtual QString GetDirectory(QWidget* parent, const QString& start) = 0;

  // "Parvex Files|*.PX|All Files|*.*" as Qt writes it: "Parvex Files (*.PX);;All Files (*)".
  // "*.*" means every file, as it does on the system the filters were written for.
  static QString QtFilter(const QString& filter);
};
