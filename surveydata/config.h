// Typed access to the two configuration files: Tidrun.INI (program folder: the work
// folder and the [Ports] mapping) and Tidrun.CFG (work folder: job settings, main window
// values, calibration, plan-view windows). Every Load/Store opens and closes the file.
#pragma once

#include <QString>

#include <optional>

namespace tidrun {

inline constexpr char kIniFileName[] = "Tidrun.INI";
inline constexpr char kCfgFileName[] = "Tidrun.CFG";

// The data folder of an installed program (<prefix>/bin/tidrun beside <prefix>/share/tidrun,
// which holds the demo job and the sounds); empty for a program run from its build.
QString InstalledDataDir(const QString& programDir);
// Tidrun.INI lives in the program folder; where that folder cannot be written or the
// program is installed, in the user's configuration folder (~/.config/tidrun).
QString TidrunIniPath(const QString& programDir);
// The work folder's Tidrun.CFG, joined with the platform's separator. A job written on
// Windows may hold it in another ASCII letter case ("TIDRUN.CFG"): the file found is the
// one read and written; where there is none, "Tidrun.CFG".
QString TidrunCfgPath(const QString& workDir);
// "ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：<path>": the file exists but could not be read.
QString CfgUnreadableText(const QString& cfgPath);

// Key "WORKDIR" of the section with the empty name; by default the program folder, or the
// home folder where Tidrun.INI does not lie in the program folder.
QString ReadWorkDir(const QString& iniPath, const QString& programDir);
bool WriteWorkDir(const QString& iniPath, const QString& workDir);

// The value of a port name ("COM1".."COM8") in section [Ports]: a device
// ("COM1=/dev/ttyUSB0") or a replay source ("COM1=replay:track.nmea", a relative path taken
// from the program folder); empty when the name is not mapped. ResolvePort of the platform
// says where the name then leads.
QString ReadPortMapping(const QString& iniPath, const QString& portName);

// [設定] keys of the main window, read at open and written when the main window closes.
struct MainWindowConfig {
    int CircleSize = 1;                                         // 円定規(Size)
    QString RulerDMS = QStringLiteral("0");                     // 計画線(DMS)
    int RulerWD = 0;                                            // 計画線(WD)
    int RulerStep = 1;                                          // 計画線(Step)
    double RulerX = 0, RulerY = 0;                              // 計画線(X), 計画線(Y)
    double RulerX0 = 0, RulerY0 = 0, RulerX1 = 0, RulerY1 = 0;  // 計画線(X0) .. 計画線(Y1)
    int MapCount = 0;                                           // 平面図
    double HoseiX = 0, HoseiY = 0, HoseiH = 0, HoseiA = 0;      // 補正X .. 補正A
    QString GuidePoint;                                         // 誘導点
    QString BuoyPoint;                                          // 設標点

    // False when the file exists but could not be read completely (the defaults stay).
    bool Load(const QString& cfgPath);
    // Writes in the order 円定規(Size) .. 設標点. False when the file could not be written.
    bool Store(const QString& cfgPath) const;
};

// [補正] 基準点: the reference point chosen for calibration.
QString ReadCalibRefPoint(const QString& cfgPath);
bool WriteCalibRefPoint(const QString& cfgPath, const QString& name);

// Section "平面図<n>" of one plan-view window. Values without a fixed default are empty
// when the key is absent; the window then keeps its current state.
struct MapWindowConfig {
    int Top = 0, Left = 0, Width = 100, Height = 100;
    bool Maximize = false, Minimize = false;
    std::optional<double> X0, X1, Y0, Y1;
    std::optional<double> OX0, OX1, OY0, OY1;
    std::optional<double> CX0, CX1, CY0, CY1;
    bool Zoomed = false;
    std::optional<bool> Circle;      // 円定規
    std::optional<bool> Ruler;       // 計画線
    std::optional<bool> AutoFollow;  // 自動追尾
    std::optional<bool> Fast;        // 高速
    bool BuoyNames = false;          // 設標点名
    // Cuts coloured by depth, and the range typed for the ramp (none: the job's range).
    // Written only when used, so that a section of a window that never used them stays as
    // it was.
    bool DepthColours = false;                      // 水深色分け
    std::optional<double> DepthShallow, DepthDeep;  // 水深範囲浅, 水深範囲深

    static QString SectionName(int n);  // "平面図" + n
    // How many of the first count windows have their section in the file, counted up to
    // the first one missing: a damaged count must not make windows by the million.
    static int StoredCount(const QString& cfgPath, int count);
    void Load(const QString& cfgPath, int n);
    // Writes every key (empty optionals are left out). False on a write failure.
    bool Store(const QString& cfgPath, int n) const;
};

}  // namespace tidrun
