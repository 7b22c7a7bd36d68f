// What a map window may ask of the window that hosts it. The main window implements it;
// tests of a map window use a fake.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>

namespace tidrun {

class TMapHost {
  public:
    virtual ~TMapHost() = default;

    // Information line: the host lays the text out on one line.
    virtual void ShowInfo(const QString& text) = 0;

    // Marks: each change saves the mark file and tells every map window.
    virtual void AddMark(const QString& name, const QColor& colour, double x, double y) = 0;
    virtual void DeleteMark(int index) = 0;
    virtual void ChangeMark(int index, const QString& name, const QColor& colour) = 0;

    // Recording.
    virtual bool Recording() const = 0;
    // A line is being recorded and has a cut: the last line of the file is that line, kept
    // open by a window built now.
    virtual bool RecordedLineOpen() const = 0;
    virtual void CutCommand() = 0;

    // Circle ruler and planned line as the host's fields hold them.
    virtual int CircleDiameter() = 0;
    virtual int RulerAngle() = 0;  // packed DDDMMSS
    virtual int RulerWidth() = 0;
    virtual void SetRulerPivot(double x, double y) = 0;
    virtual void SetRulerPivotAngle(double x, double y, int packedAngle) = 0;

    // Room left in the host's workspace beside its docks, for a new window's size.
    virtual QSize FreeClientSize() const = 0;
};

}  // namespace tidrun
