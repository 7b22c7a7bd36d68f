// The recorded cuts of the job and its recording file: one line per cut,
//   "%5d, %4d, \"%s\", %4d, %11.3f, %11.3f, %8.3f, %8.3f, %4d, %12.6f, %12.6f, %8.3f,
//    \"%s\", %11.3f, %11.3f, %8.3f, %8.3f" CR LF
// Cuts are kept compactly (TSokusenStore, about 25 bytes each for all-data cuts): line names
// are stored once per run of cuts with the same name, times as a local wall-clock second
// count.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "surveydata/pointcoll.h"
#include "surveydata/sokusen.h"
#include "surveydata/sokusenstore.h"

namespace tidrun {

CutTime CutTimeFromDateTime(const QDateTime& t);
QDateTime CutTimeToDateTime(CutTime t);
// "yy/MM/dd H:mm:ss"; two-digit years 00..49 are 2000..2049, 50..99 are 1950..1999.
QString FormatCutTime(CutTime t);
bool ParseCutTime(std::string_view text, CutTime& t);
// The Julian day of a date of the Gregorian calendar, as QDate::toJulianDay gives it, for
// years 1 to 9999; false for a date QDate finds invalid.
bool GregorianJulianDay(int y, int m, int d, std::int64_t& day);

// What the recording step hands to AddCut (Serial, LineNo and CutNo are the collection's).
struct TCutInput {
    int GpsInt = 0;
    QString LineName;
    double X = 0, Y = 0, H = 0, Dist = 0;
    double GpsA = 0, GpsB = 0, GpsH = 0;
    QDateTime Time;
    double DX = 0, DY = 0, DH = 0, DA = 0;
};

class TSokusenColl : public TPointColl {
  public:
    explicit TSokusenColl(MessageSink& sink);
    ~TSokusenColl() override;

    int Count() const override { return items_.Count(); }
    // A copy of the record: they are held packed. Throws std::out_of_range for an index
    // outside 0..Count()-1.
    TSokusen Item(int index) const;
    // See TSokusenStore::Places: for walking many records' positions quickly.
    int Places(int first, TCutPlace* out, int max) const { return items_.Places(first, out, max); }
    const QString& LineName(int index) const { return names_[Item(index).NameIndex]; }
    QDateTime Time(int index) const { return CutTimeToDateTime(Item(index).Time); }
    void Delete(int index) override;
    void Clear() override;
    // The recording-file line of a record, without the line end.
    QString FormatLine(int index) const override;

    // Appends a record without writing it (used by the loader and by tests).
    void Add(const TSokusen& rec, const QString& lineName);

    // Opens the recording file for appending (a torn last line gets its line end first, so
    // the next cut starts on a line of its own; a final DOS end-of-file byte is taken off)
    // and starts a new line number. Returns it. A file that cannot be opened for appending
    // is reported ("側線ファイル書込エラー" with its name) and no line is open (Recording()
    // stays false).
    std::int64_t BeginLine();
    // Stores a cut and writes its line; the line is flushed and synced to disk before
    // returning. Returns the index of the new record, or -1 when the cut was not stored:
    // - a write error: "側線ファイル書込エラー"; the part of the line that was written is
    //   taken off the file again;
    // - the open file is no longer the file at its path (deleted, or another file renamed
    //   over it): "側線ファイル書込エラー" with the file's name; nothing is written;
    // - its serial, line or cut number would pass the largest 32-bit number;
    // - settled, asked once the line is synced and before the cut is counted, says false
    //   (another file of the cut failed and said why): the line is taken off again, quietly.
    // A cut that was not stored leaves no record and the counters where they were, so the
    // records held are those that reached the disk and numbering continues from them. After
    // the file was deleted or replaced, the records held stay (each was on disk when it was
    // written) and the next line numbers on from them; the next open reads what is at the
    // path.
    int AddCut(const TCutInput& cut, const std::function<bool()>& settled = {});
    // Closes the file; true when a cut was written since BeginLine.
    bool EndLine();
    bool Recording() const { return file_ != nullptr; }

    // Of the last record; 0 or empty when there is none.
    double X() const;
    double Y() const;
    int CutNo() const;
    int Serial() const;
    QString LastLineName() const;
    double Dist() const;
    int LineNo() const;

  protected:
    bool ParseLine(std::string_view line) override;
    // A bad line is reported with its number but reading goes on, so that numbering
    // continues from the real last record.
    bool ContinueAfterBadLine() const override { return true; }
    std::unique_ptr<TPointColl> NewPiece(MessageSink& sink) const override;
    void TakePiece(TPointColl& piece) override;

  private:
    std::uint32_t InternName(const QString& name);
    void CloseFile();

    TSokusenStore items_;
    std::vector<QString> names_;
    QByteArray lastNameBytes_;   // raw bytes of names_.back() while loading
    QByteArray firstNameBytes_;  // and of names_.front() (a piece read on another core)

    struct File;
    std::unique_ptr<File> file_;
    // Counted in 64 bits, so that the last number a record can hold cannot overflow them.
    std::int64_t nextSerial_ = 1;
    std::int64_t currentLineNo_ = 0;
    std::int64_t nextCutNo_ = 1;
    QString lastLineName_;
    bool noCutYet_ = true;
};

}  // namespace tidrun
