// The files of a test job, by their usual names in the work folder, and the answers to the
// dialogs of an open.
#pragma once

#include <QDir>
#include <QStringList>

#include <optional>

#include "console/gui/mainform.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/jobsettings.h"

namespace tidrun {

inline void NameJobFiles(TJobSettings& settings) {
    settings.KijunFile = QStringLiteral("KIJUN.DAT");
    settings.TansaFile = QStringLiteral("CHOSA.DAT");
    settings.SokusenFile = QStringLiteral("SOKUSEN.DAT");
    settings.MisokuFile = QStringLiteral("MARK.DAT");
    settings.IjoFile = QStringLiteral("SETUHYO.DAT");
}

// A small job off Tokyo Bay (zone 9): one reference point, a survey area, one buoy point,
// no cuts and no marks yet. False when a file could not be written.
inline bool WriteJobFiles(const QString& workDir) {
    const std::pair<const char*, QStringList> files[] = {
        {"KIJUN.DAT", {QStringLiteral("基準1 -67895.365 3158.766 2.839")}},
        {"CHOSA.DAT", {QStringLiteral("A1 -68000 3000 1 0"), QStringLiteral("A2 -67000 4000 1 0")}},
        {"SETUHYO.DAT", {QStringLiteral("設標01 -67563.159 3512.585 灯浮標")}},
        {"SOKUSEN.DAT", {}},
        {"MARK.DAT", {}},
    };
    for (const auto& [name, lines] : files)
        if (!WriteCp932LinesAtomic(QDir(workDir).filePath(QLatin1String(name)), lines))
            return false;
    return true;
}

// The folder browser answers `workDir`; the settings dialog takes the stored settings as its
// OK does (checked, then stored), its messages going to `sink`.
inline void AnswerOpenDialogs(TMainForm& form, const QString& workDir, MessageSink& sink) {
    form.SetFolderChooser([workDir](const QString&) { return std::optional(workDir); });
    form.SetSettingsRunner([&sink](TJobSettings& s, const QString& cfg) {
        s.Load(cfg);
        return s.Accept(cfg, sink);
    });
}

}  // namespace tidrun
