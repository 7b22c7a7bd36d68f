// A map window's host for tests: records what the window asks of it, over a small job held
// in memory.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

#include "planview/cutstore.h"
#include "planview/maphost.h"
#include "planview/planscene.h"
#include "platform/messagesink.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun::test {

struct FakeHost : TMapHost {
    void ShowInfo(const QString& text) override { infos << text; }
    void AddMark(const QString& name, const QColor& colour, double x, double y) override {
        calls << QStringLiteral("AddMark %1 %2 %3 %4").arg(name, colour.name()).arg(x).arg(y);
    }
    void DeleteMark(int index) override { calls << QStringLiteral("DeleteMark %1").arg(index); }
    void ChangeMark(int index, const QString& name, const QColor& colour) override {
        calls << QStringLiteral("ChangeMark %1 %2 %3").arg(index).arg(name, colour.name());
    }
    bool Recording() const override { return recording; }
    bool RecordedLineOpen() const override { return recording && lineHasCut; }
    void CutCommand() override { calls << QStringLiteral("Cut"); }
    int CircleDiameter() override { return 50; }
    int RulerAngle() override { return angle; }
    int RulerWidth() override { return width; }
    void SetRulerPivot(double x, double y) override {
        calls << QStringLiteral("Pivot %1 %2").arg(x).arg(y);
    }
    void SetRulerPivotAngle(double x, double y, int packed) override {
        calls << QStringLiteral("PivotAngle %1 %2 %3").arg(x).arg(y).arg(packed);
    }
    QSize FreeClientSize() const override { return {900, 600}; }

    bool recording = false, lineHasCut = true;
    int angle = 0, width = 0;
    QStringList infos, calls;
};

// A job in memory: a square survey area 1000..1400 x 2000..2400 in one region, reference
// points K1 and K2, buoy points B1 and B2, one mark, and cuts of lines A, A, B.
struct FakeJob {
    FakeJob() : kijun(sink), tansa(sink), ijo(sink), misoku(sink), sokusen(sink) {
        for (auto [x, y] :
             {std::pair{1000., 2000.}, {1400., 2000.}, {1400., 2400.}, {1000., 2400.}})
            tansa.Add(x, y, 1, 0, QStringLiteral("T"));
        kijun.Add(1100, 2100, 5, QStringLiteral("K1"));
        kijun.Add(1300, 2300, 6, QStringLiteral("K2"));
        ijo.Add(1200, 2100, QStringLiteral("B1"), QStringLiteral("n1"));
        ijo.Add(1250, 2350, QStringLiteral("B2"), QStringLiteral("n2"));
        misoku.Add(1150, 2250, QStringLiteral("M1"), 0x0000FF);  // red as a stored number
        AddCut(1050, 2050, "A");
        AddCut(1060, 2060, "A");
        AddCut(1300, 2200, "B");
    }
    void AddCut(double x, double y, const char* line) {
        TSokusen r{};
        r.X = x;
        r.Y = y;
        r.CutNo = sokusen.Count() + 1;
        sokusen.Add(r, QString::fromLatin1(line));
    }
    TPlanSources Sources() {
        TPlanSources s;
        s.Kijun = &kijun;
        s.Tansa = &tansa;
        s.Ijo = &ijo;
        s.Misoku = &misoku;
        s.Sokusen = &sokusen;
        s.Cuts = cuts;
        return s;
    }
    NullSink sink;
    TKijunColl kijun;
    TTansaColl tansa;
    TIjoColl ijo;
    TMisokuColl misoku;
    TSokusenColl sokusen;
    std::shared_ptr<TCutStore> cuts = std::make_shared<TCutStore>();
};

}  // namespace tidrun::test
