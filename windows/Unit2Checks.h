// What the Split & Join window checks on the user's names before it hands
// them on: which names of a file list the split will not store (and why),
// which names chosen in the add-files dialog do not exist, and how a list of
// names is put into one message box.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/Platform.h"

namespace unit2 {

// Beyond this many, the names in a box are only counted.
inline constexpr int kNamesShown = 20;

// The line `heading` (none when empty) followed by `names`, at most
// kNamesShown of them and then "... and N more".
QString NameList(const QString& heading, const QStringList& names);

// The entries of a split's file list that will store nothing, each as
// "NAME: reason": a name that matches nothing ("not found"), or one whose
// matches include directories (each directory named: "is a folder, not a
// file"). Wildcards are expanded as the split expands them; a relative name
// is taken from `baseDirectory`, as the split takes it from the set's folder.
QStringList NotStoredNames(parvex::platform::Env& env, const QStringList& lines, const QString& baseDirectory);

// The names of `chosen` that name nothing: neither an existing file or
// folder nor a wildcard pattern that matches something.
QStringList MissingNames(parvex::platform::Env& env, const QStringList& chosen);

}  // namespace unit2
