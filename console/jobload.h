// The files of a job, loaded as its settings name them: by the console at open and by the
// tool's job and plot commands.
#pragma once

#include <QString>

#include <functional>

#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

// The collections a job's files load into, owned elsewhere.
struct TJobFiles {
    TKijunColl& kijun;
    TTansaColl& tansa;
    TSokusenColl& sokusen;
    TIjoColl& ijo;
    TMisokuColl& misoku;
};

using JobFileReport = std::function<void(const char* key, const TPointColl&, const QString& path)>;

// Loads the reference, survey and recording files, and the buoy and mark files when the
// settings name them (emptied when not), relative names taken from the work folder. After
// each load, report(settings key, collection, path) when given. False when a file did not
// load (its errors went to the collection's sink).
bool LoadJobFiles(const TJobSettings& settings, const TJobFiles& files,
                  const JobFileReport& report = {});

}  // namespace tidrun
