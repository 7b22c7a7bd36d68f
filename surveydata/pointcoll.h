// Point collections bound to one text file each: reference points, survey-area outline,
// buoy points and marks, with the shared field splitter; and the running extent TWorld.
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/messagesink.h"

namespace tidrun {

// Splits one line into fields by blank, comma and tab; a run of delimiters is one
// separator, leading delimiters are skipped; a pair of double quotes groups (the quotes
// stay in the field). Works on raw code page 932 bytes: no delimiter or quote byte can be
// the second byte of a double-byte character.
std::vector<std::string_view> SplitFields(std::string_view line);
// The same into a fixed array: fills out[0..maxFields-1] (fields beyond the line are
// empty, fields beyond maxFields are ignored) and returns the number of fields found.
int SplitFields(std::string_view line, std::string_view* out, int maxFields);

// Number syntax of the point files: optional sign, digits, optional point, optional
// exponent; the whole field must be consumed. Empty fields do not convert.
bool ParseReal(std::string_view field, double& value);
bool ParseInt(std::string_view field, int& value);
// The same on the start of [p, end): returns the end of the number, nullptr when no
// number starts at p. For parsers that walk a line once.
const char* ParseRealPrefix(const char* p, const char* end, double& value);
const char* ParseIntPrefix(const char* p, const char* end, int& value);

class TPointColl {
  public:
    explicit TPointColl(MessageSink& sink) : sink_(sink) {}
    virtual ~TPointColl() = default;
    TPointColl(const TPointColl&) = delete;
    TPointColl& operator=(const TPointColl&) = delete;

    // Clears the records, remembers the name and reads the file line by line. Errors:
    // "ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：%s", "読込ｴﾗｰ\r\nﾌｧｲﾙ名：%s（%d行目）".
    // True when the whole file was read.
    bool Load(const QString& fileName);
    // Writes every record (FormatLine + CR LF) atomically. Errors:
    // "ﾌｧｲﾙを書込できません\r\nﾌｧｲﾙ名：%s", "書込ｴﾗｰ\r\nﾌｧｲﾙ名：%s".
    // Refuses to overwrite the loaded file when its last load failed part-way.
    bool Save();
    bool Save(const QString& fileName);

    virtual int Count() const = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    const QString& FileName() const { return fileName_; }
    // The last Load met a file it could not read to the end (open failure of an existing
    // file, or a bad line). Saving over that file would lose what was not read.
    bool LoadIncomplete() const { return loadIncomplete_; }

  protected:
    // One non-empty line (raw cp932 bytes, line end removed). False: a field did not
    // convert (the load stops, or goes on for kinds that say so).
    virtual bool ParseLine(std::string_view line) = 0;
    virtual QString FormatLine(int) const { return {}; }
    // Whether Load goes on after a bad line (the bad line is still reported).
    virtual bool ContinueAfterBadLine() const { return false; }
    // The text shown when Save refuses to overwrite a file that was not read completely.
    virtual QString RefuseSaveText() const;
    // Called at Load before reading, with the file size in bytes (for reserving).
    virtual void Reserve(qint64) {}
    // A large file may be read in pieces on several cores: a kind that allows it gives an
    // empty collection of its kind for a piece, and takes a piece read after its own
    // records. None (the default): the file is read in one pass.
    virtual std::unique_ptr<TPointColl> NewPiece(MessageSink&) const { return nullptr; }
    virtual void TakePiece(TPointColl&) {}

    MessageSink& sink_;

  private:
    // The rules of one line: the CR before the LF removed, an empty line skipped, an
    // overlong line or one that does not convert is bad.
    bool LineIsGood(std::string_view line);
    // Every line of [begin, end) (the last one may lack its LF); lineNo counts on. bad(n)
    // for each bad line; false from it stops.
    bool ScanLines(const char* begin, const char* end, int& lineNo,
                   const std::function<bool(int)>& bad);
    // Every line of what read(to, max) gives (bytes, 0 at the end, < 0 on failure) through
    // ScanLines, holding one block of the file at a time.
    bool StreamLines(const std::function<qint64(char*, qint64)>& read, int& lineNo,
                     const std::function<bool(int)>& bad, bool& readFailed);
    // Load of the file in pieces, one a core; false when it could not be split.
    bool LoadInPieces(qint64 size, int& badLines, bool& readFailed);

    QString fileName_;
    bool loadIncomplete_ = false;
};

// Holds the records of one kind by value; Item(i) for i in 0..Count()-1.
template <class Rec>
class TPointCollOf : public TPointColl {
  public:
    using Record = Rec;
    using TPointColl::TPointColl;
    int Count() const override { return static_cast<int>(items_.size()); }
    const Rec& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
    void Delete(int index) override {
        if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
    }
    void Clear() override { items_.clear(); }
    const std::vector<Rec>& Items() const { return items_; }

  protected:
    std::vector<Rec> items_;
};

struct TKijun {  // reference point
    double X = 0, Y = 0, Z = 0;
    QString Name;
};
struct TTansa {  // survey-area outline vertex
    double X = 0, Y = 0;
    int Region = 0;  // consecutive vertices with the same Region form one closed outline
    int Tag = 0;
    QString Name;
};
struct TIjo {  // buoy point
    double X = 0, Y = 0;
    QString Name, Note;
};
struct TMisoku {  // mark
    double X = 0, Y = 0;
    QString Name;
    int Number = 0;
};

// Line: Name X Y [Z]
class TKijunColl : public TPointCollOf<TKijun> {
  public:
    using TPointCollOf::TPointCollOf;
    void Add(double x, double y, double z, const QString& name);

  protected:
    bool ParseLine(std::string_view line) override;
};

// Line: Name X Y Region Tag
class TTansaColl : public TPointCollOf<TTansa> {
  public:
    using TPointCollOf::TPointCollOf;
    void Add(double x, double y, int region, int tag, const QString& name);
    // Extremes over all vertices; 0 when empty.
    double MinX() const;
    double MaxX() const;
    double MinY() const;
    double MaxY() const;

  protected:
    bool ParseLine(std::string_view line) override;
};

// Line: Name X Y [Note]
class TIjoColl : public TPointCollOf<TIjo> {
  public:
    using TPointCollOf::TPointCollOf;
    void Add(double x, double y, const QString& name, const QString& note);

  protected:
    bool ParseLine(std::string_view line) override;
};

// Line: X Y Name Number. Names are stored trimmed; an empty name becomes "(マーク)".
// A name holding a blank, comma or tab is written in double quotes, and one pair of
// surrounding quotes is taken off when reading.
class TMisokuColl : public TPointCollOf<TMisoku> {
  public:
    using TPointCollOf::TPointCollOf;
    void Add(double x, double y, const QString& name, int number);

    // The main window's edits of marks: each changes the collection and saves the file.
    // When the mark file was not read completely they change nothing and report
    // "マークファイルの読込に失敗したため保存できません\r\nﾌｧｲﾙ名：%s"; false then, or when
    // the save failed (reported by Save; the change is undone, so that the collection
    // holds what the file holds).
    bool AddAndSave(double x, double y, const QString& name, int number);
    bool ChangeAndSave(int index, const QString& name, int number);
    bool DeleteAndSave(int index);

    static QString NormalizeName(const QString& name);  // trimmed, empty -> "(マーク)"

  protected:
    bool ParseLine(std::string_view line) override;
    QString FormatLine(int index) const override;  // "%10.3f %10.3f %s %d"
    QString RefuseSaveText() const override;
};

// Running bounding box of plane coordinates.
class TWorld {
  public:
    TWorld(double xmin = 999999.999, double ymin = 999999.999, double xmax = -999999.999,
           double ymax = -999999.999);
    void SetDefault(double xmin, double ymin, double xmax, double ymax);
    void Add(double x, double y);
    // The accumulated extent once a point was added, else the default.
    double Xmin() const { return count_ > 0 ? xmin_ : dxmin_; }
    double Xmax() const { return count_ > 0 ? xmax_ : dxmax_; }
    double Ymin() const { return count_ > 0 ? ymin_ : dymin_; }
    double Ymax() const { return count_ > 0 ? ymax_ : dymax_; }
    int Count() const { return count_; }

  private:
    double xmin_, ymin_, xmax_, ymax_;
    double dxmin_ = 0, dymin_ = 0, dxmax_ = 0, dymax_ = 0;
    int count_ = 0;
};

}  // namespace tidrun
