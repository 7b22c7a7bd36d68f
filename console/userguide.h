// The user guide (docs/guide, as HTML) in the system's browser, from ヘルプ → 取扱説明書.
#pragma once

#include <QString>

namespace tidrun {

class MessageSink;

// Where the guide's first page lies for the program in programDir: <prefix>/share/doc/
// tidrun/guide/index.html beside <prefix>/bin, the same layout a build makes
// (build/share/doc/tidrun/guide for build/app/tidrun).
QString UserGuidePath(const QString& programDir);
// Opens that page in the system's browser; says once when it is missing or cannot be opened.
void OpenUserGuide(MessageSink& sink, const QString& programDir);

}  // namespace tidrun
