#include "tools/jobload.h"

#include <QDir>

#include "console/jobload.h"
#include "surveydata/config.h"

namespace tidrun::tool {

bool LoadJob(const QString& workDir, TLoadedJob& job,
             const std::function<void(const char*, const TPointColl&, const QString&)>& report) {
    const QString cfgPath = TidrunCfgPath(workDir);
    if (!job.settings.Load(cfgPath)) {
        job.sink.Error(CfgUnreadableText(cfgPath));
        return false;
    }
    return LoadJobFiles(job.settings, {job.kijun, job.tansa, job.sokusen, job.ijo, job.misoku},
                        report);
}

}  // namespace tidrun::tool
