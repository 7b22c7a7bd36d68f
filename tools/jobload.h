// Loading a work folder as the console does at open: Tidrun.CFG, then the files it names.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "platform/messagesink.h"
#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun::tool {

struct TLoadedJob {
    explicit TLoadedJob(MessageSink& sink)
        : sink(sink), kijun(sink), tansa(sink), sokusen(sink), ijo(sink), misoku(sink) {}
    MessageSink& sink;
    TJobSettings settings;
    TKijunColl kijun;
    TTansaColl tansa;
    TSokusenColl sokusen;
    TIjoColl ijo;
    TMisokuColl misoku;
};

// Loads Tidrun.CFG (an unreadable one is reported and nothing else is loaded), then every
// file it names; after each, report(settings key, collection, path) when given. False
// when a file did not load (its errors went to the sink).
bool LoadJob(const QString& workDir, TLoadedJob& job,
             const std::function<void(const char*, const TPointColl&, const QString&)>& report);

}  // namespace tidrun::tool
