// tidrun-tool: the command-line companion of the console.
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#ifdef TIDRUN_TOOL_PLOT
#include <QGuiApplication>
#endif

#include "tools/commands.h"

namespace {

void Usage() {
    std::fputs(
        "usage:\n"
        "  tidrun-tool convert --zone Z --src S --dst D   < lat lon h lines\n"
        "  tidrun-tool nmea [--zone Z --src S --dst D --draft M] [FILE|-]...\n"
        "  tidrun-tool job WORKDIR\n"
        "  tidrun-tool soundings WORKDIR\n"
#ifdef TIDRUN_TOOL_EXPORT
        "  tidrun-tool export WORKDIR OUT [--what KINDS] [--wgs84] [--jgd2000]\n"
#endif
#ifdef TIDRUN_TOOL_PLOT
        "  tidrun-tool plot WORKDIR OUT.png|OUT.pdf [--size WxH]\n"
#endif
        ,
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef TIDRUN_TOOL_PLOT
    // Painting needs the GUI application; without a display it paints offscreen.
    if (argc > 1 && std::strcmp(argv[1], "plot") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return tidrun::tool::RunPlot(app.arguments().mid(2));
    }
#endif
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        Usage();
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("convert")) return tidrun::tool::RunConvert(args);
    if (command == QLatin1String("nmea")) return tidrun::tool::RunNmea(args);
    if (command == QLatin1String("job")) return tidrun::tool::RunJob(args);
    if (command == QLatin1String("soundings")) return tidrun::tool::RunSoundings(args);
#ifdef TIDRUN_TOOL_EXPORT
    if (command == QLatin1String("export")) return tidrun::tool::RunExport(args);
#endif
    Usage();
    return 2;
}
