// What the program takes on its command line: -h/--help and --version, which
// answer before any window (or display) is opened, and one volume set, which
// opens the Split & Join window on its Join page with that set opened, as a
// file manager asks for when the user opens a .PX file.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QString>
#include <QStringList>

namespace startup {

// The exit status for -h/--help (the help text on stdout) and --version (the
// version), or -1 when neither is given. Looks at the arguments up to "--".
int AnswerInfoOptions(int argc, char** argv);

// The arguments that the application object left (it takes Qt's own, such as
// -platform), without the program's name: the one set to open in `archive`
// (absolute; empty when none). False, with the message in `error`, for an
// unknown option or more than one set.
bool ParseArguments(const QStringList& arguments, QString& archive, QString& error);

// Once the main window is up: opens Form2 from it (as its Split & Join
// hot-spot does) on the Join page, with `archive` opened as "Open..." opens a
// chosen set.
void OpenAtStart(const QString& archive);

}  // namespace startup
