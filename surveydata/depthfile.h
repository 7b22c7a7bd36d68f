// The depth companion of the recording file: one line per cut with the sounder's depth,
// beside the recording file ("SOKUSEN.DAT" -> "SOKUSEN_水深.csv"). Code page 932, CR LF,
// a header line, then
//   serial,line number,"line name",cut number,X,Y,depth,depth age ms,position time,depth time
// with X and Y "%.3f", the depth below the surface "%.2f" (empty, with an empty age and
// depth time, when no depth came in the 3 s before the position) and both receive times
// "yyyy-MM-dd HH:mm:ss.zzz" in local time.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "surveydata/appendfile.h"
#include "surveydata/localstamp.h"

namespace tidrun {

QString DepthFilePath(const QString& recordingPath);
// The header line, without its line end.
QString DepthFileHeader();

struct TDepthRow {
    int serial = 0, lineNo = 0, cutNo = 0;
    QString lineName;
    double x = 0, y = 0;
    std::optional<double> depth;  // below the surface, metres
    qint64 ageMs = 0;             // of the depth at the position's arrival
    QDateTime positionTime, depthTime;
};
// The row's line in code page 932 with its CR LF, its times through stamps.
QByteArray FormatDepthRow(const TDepthRow& row, TLocalStamp& stamps);

// Appends rows to the companion file; a new or empty file gets the header first.
class TDepthWriter {
  public:
    bool Open(const QString& recordingPath);
    void Close() {
        FinishAppend();
        file_.Close();
    }
    bool IsOpen() const { return file_.IsOpen(); }
    bool StillAtPath() const { return file_.StillAtPath(); }
    // The row written whole and synced, or nothing of it on the file.
    bool Append(const TDepthRow& row);
    // Append in two halves, so that another file can be synced while this one is: the row
    // written and its sync started, then the wait for the sync (nothing of the row stays
    // when either fails).
    bool StartAppend(const TDepthRow& row);
    bool FinishAppend();
    // Takes the last row appended off the file again (none after a failed one); false when
    // that failed.
    bool TakeBackLast();

  private:
    TAppendFile file_;
    TLocalStamp stamps_;
    qint64 lastRowAt_ = -1;     // the file's size before the last row, -1 none
    qint64 pendingRowAt_ = -1;  // the same for a row whose sync runs
};

// The depths of a companion file, in file order (which is serial order).
struct TDepthTable {
    std::vector<std::int32_t> serials;
    std::vector<std::int32_t> lines;  // line number of each row
    std::vector<float> depths;        // NaN where the row has no depth
    int badLine = 0;                  // first line that could not be read (1-based), 0 none
    // The depth of a serial; nothing when the file has no row for it or the row no depth.
    std::optional<float> DepthOf(std::int32_t serial) const;
    // The same for serials asked mostly in rising order (a recording's): `at` keeps the
    // place between calls, so each is a step or two instead of a search.
    std::optional<float> DepthOf(std::int32_t serial, std::size_t& at) const;
    bool HasRow(std::int32_t serial) const;
};

enum class DepthLoad { Ok, Missing, Unreadable };
// Reads the file in bounded pieces. A last line without its line end (a cut being written
// when the power went) is not taken.
DepthLoad LoadDepthFile(const QString& path, TDepthTable& table);

// A companion as read once at a job's open: what the load gave, its rows, its path. The
// depths join the cut store and the check at open takes the rest from it.
struct TDepthCompanion {
    DepthLoad load = DepthLoad::Missing;
    TDepthTable table;
    QString path;
};
TDepthCompanion ReadDepthCompanion(const QString& recordingPath);
// The load's message for the user (an unreadable file, a line that could not be read),
// empty when there is none.
QString DepthLoadProblem(const TDepthCompanion& companion);

// Reads the depth companion of a recording into table; hasDepths says whether its depths
// are there to use (false when there is no companion or it could not be read). Returns the
// message for the user: an unreadable file, or a line that could not be read (the depths
// before it are used), else empty.
QString LoadDepthsOf(const QString& recordingPath, TDepthTable& table, bool& hasDepths);

// The cuts of the recording that should have a companion row and have none: every cut of
// a line that has rows in the companion file and, when depth is recorded now
// (depthOn), the recording's last cut where it follows the companion's last row (the row a
// kill cut short on the first cut of a line). `cut(i)` gives the serial and line number
// of cut i of `count`.
std::vector<std::int32_t> CutsWithoutDepthRow(
    int count, const std::function<std::pair<std::int32_t, std::int32_t>(int)>& cut,
    const TDepthTable& table, bool depthOn);

// The one message for such cuts: the first serial, how many, the file.
QString MissingDepthMessage(const std::vector<std::int32_t>& serials, const QString& depthPath);

}  // namespace tidrun
