// Sub-commands of tidrun-tool. Each takes the arguments after its name.
#pragma once

#include <QStringList>

namespace tidrun::tool {

int RunConvert(const QStringList& args);
int RunNmea(const QStringList& args);
int RunJob(const QStringList& args);
int RunSoundings(const QStringList& args);
// Built when GDAL is found (TIDRUN_TOOL_EXPORT).
int RunExport(const QStringList& args);
// Needs a QGuiApplication (see main).
int RunPlot(const QStringList& args);

}  // namespace tidrun::tool
