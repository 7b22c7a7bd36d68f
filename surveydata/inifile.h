// INI files in code page 932, as Windows keeps them: "[section]" headers (Japanese names
// allowed; the section with the empty name is "[]"), "key=value" lines, everything else
// (comments, blank lines, unknown sections) kept as it stands. Section and key names
// match without regard to ASCII case.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace tidrun {

// One INI file parsed into memory. Writing a key changes only that key's line (or adds
// one at the end of its section, or a new section at the end of the file); every other
// line is written back with the very bytes it was read with. A value in one pair of
// matching quotes ("..." or '...') reads without them, as Windows reads it.
class TIniDocument {
  public:
    // Largest file read (a real Tidrun.CFG is a few kilobytes); a larger one is read up to
    // this size and counts as not read completely.
    static constexpr qint64 kMaxFileBytes = 4 << 20;

    // Reads the file. A missing file gives an empty document and true; a file that exists
    // but could not be read completely (no permission, a folder, too large) gives what
    // could be read and false, and Save then refuses to write over it.
    bool Load(const QString& path);
    void Parse(const QString& text);
    void ParseBytes(QByteArrayView bytes);
    // Writes through a temporary file and a rename. False on failure, and when the loaded
    // file could not be read completely (nothing is written then).
    bool Save(const QString& path) const;
    QString Text() const;      // lines joined with CR LF, ending with CR LF
    QByteArray Bytes() const;  // the file's bytes: unchanged lines as read, others in cp932

    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    bool DeleteKey(const QString& section, const QString& key);
    bool EraseSection(const QString& section);
    bool SectionExists(const QString& section) const;
    QStringList Sections() const;
    QStringList Keys(const QString& section) const;

  private:
    struct Line {
        QString text;    // the line as read (or as written)
        QByteArray raw;  // the bytes read for it; empty once the line is changed or new
        bool changed = true;
        int section = -1;  // index into sections_ of the section it belongs to (-1: before any)
        bool isHeader = false;
        bool isKey = false;
        QString key;    // trimmed key of a key line
        QString value;  // trimmed value of a key line
    };
    int FindSection(const QString& name) const;
    int FindKey(int section, const QString& key) const;
    void AddLine(QString raw, QByteArray bytes, bool changed, int& current);
    std::vector<Line> lines_;
    QStringList sections_;  // section names in file order (first occurrence)
    bool incomplete_ = false;
};

// The access the program uses: every call opens the file, reads or writes, and closes it.
// Absent keys (and unreadable values) give the default. Booleans are written 1/0 and read
// as 1/0/true/false in any case (any other integer: non-zero is true). Reals are written
// in the shortest form that reads back to the same double. Every write is atomic.
class TIniFile {
  public:
    explicit TIniFile(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSection(const QString& section) const;  // key names
    QStringList ReadSections() const;

    // Each returns false when the file could not be written, or was not written because
    // it exists but could not be read completely (what it holds would be lost).
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteFloat(const QString& section, const QString& key, double value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& key);

    // Several keys in one read-modify-write (one atomic replace), in the given order.
    bool WriteValues(const QString& section,
                     const std::vector<std::pair<QString, QString>>& keyValues);

    static QString FormatFloat(double value);
    static QString FormatBool(bool value) {
        return value ? QStringLiteral("1") : QStringLiteral("0");
    }
    static std::optional<int> ParseInteger(const QString& text);
    static std::optional<double> ParseFloat(const QString& text);
    static std::optional<bool> ParseBool(const QString& text);

  private:
    QString path_;
};

}  // namespace tidrun
