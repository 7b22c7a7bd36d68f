// The files of a job, loaded as its settings name them: by the console at open and by the
// tool's job and plot commands.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "surveydata/depthfile.h"
#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

class MessageSink;
class TCutStore;

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

// The store of the recorded cuts the job's map windows share, filled from the recording
// collection, with the depths of the recording's companion file joined by serial (a
// companion that cannot be read, or a line of it, is reported once; the depths before it
// are used). depthsRead, when given, says whether the companion read without a problem;
// companion, when given, gets the companion as it was read, for the check at open
// (CheckDepthCompanion), so that the file is read once.
std::shared_ptr<TCutStore> LoadCutStore(const TJobSettings& settings, const TSokusenColl& sokusen,
                                        MessageSink& sink, bool* depthsRead = nullptr,
                                        TDepthCompanion* companion = nullptr);

// A job's work folder and the files and folders in it the console keeps.
struct TJobFolder {
    QString work, cfg, calib, log;  // the folder, its Tidrun.CFG, Calib/ and Log/
};
TJobFolder JobFolderIn(const QString& workDir);
// Makes the folders a job writes to where they are missing (Log/, then Calib/) and removes
// the copy a save of Tidrun.CFG cut short by a kill left: the message of the first folder
// that cannot be had, empty when the job may open.
QString PrepareJobFolder(const TJobFolder& folder);

}  // namespace tidrun
