// Paths of a job moved from Windows, found as Windows would find them.
#pragma once

#include <QString>

namespace tidrun {

// A path as Windows would take it: a backslash separates folders, and each name matches
// an entry that differs in ASCII letter case only (the exact name first, then the first
// such entry in name order). Names not found stay as written. A relative path is taken
// from baseDir (from the current folder when baseDir is empty).
QString AsWindowsWould(const QString& baseDir, const QString& path);

}  // namespace tidrun
