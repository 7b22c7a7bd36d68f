// The five point and recording files of a test job, by their usual names in the work
// folder.
#pragma once

#include "surveydata/jobsettings.h"

namespace tidrun {

inline void NameJobFiles(TJobSettings& settings) {
    settings.KijunFile = QStringLiteral("KIJUN.DAT");
    settings.TansaFile = QStringLiteral("CHOSA.DAT");
    settings.SokusenFile = QStringLiteral("SOKUSEN.DAT");
    settings.MisokuFile = QStringLiteral("MARK.DAT");
    settings.IjoFile = QStringLiteral("SETUHYO.DAT");
}

}  // namespace tidrun
