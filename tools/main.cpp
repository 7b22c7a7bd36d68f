// tidrun-tool: the command-line companion of the console.
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "tools/commands.h"

namespace {

void Usage() {
    std::fputs(
        "usage:\n"
        "  tidrun-tool convert --zone Z --src S --dst D   < lat lon h lines\n"
        "  tidrun-tool nmea [--zone Z --src S --dst D] [FILE|-]...\n"
        "  tidrun-tool job WORKDIR\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
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
    Usage();
    return 2;
}
