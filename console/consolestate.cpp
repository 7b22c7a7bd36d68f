#include "console/consolestate.h"

#include "console/jobsession.h"
#include "surveydata/config.h"
#include "surveydata/pointcoll.h"

namespace tidrun {

void TPointChoice::Remember(const QString& name) {
    remembered_ = name;
}

void TPointChoice::Offer(const QStringList& names) {
    names_ = names;
    offered_ = true;
    index_ = remembered_.isEmpty() ? -1 : int(names_.indexOf(remembered_));
}

void TPointChoice::Choose(int index) {
    index_ = index >= 0 && index < names_.size() ? index : -1;
}

void TPointChoice::Close() {
    remembered_ = Name();
    names_.clear();
    offered_ = false;
    index_ = -1;
}

QString TPointChoice::Name() const {
    if (!offered_) return remembered_;
    return index_ >= 0 ? names_[index_] : QString();
}

TFieldText::TFieldText(Rule rule, const QString& text, const QString& good)
    : rule_(rule), text_(text), good_(good) {}

void TFieldText::Edit(const QString& text) {
    text_ = text;
    if (!rule_(text).bad) good_ = text.trimmed();
}

// The fields as the toolbars start: the angle empty, its good text the field's zero.
TLineFields::TLineFields()
    : fields_{TFieldText(ParseDiameter, QStringLiteral("500"), QStringLiteral("500")),
              TFieldText(ParseRulerAngle, QString(), QStringLiteral("0.0000")),
              TFieldText(ParseRulerWidth, QStringLiteral("500"), QStringLiteral("500")),
              TFieldText(ParseRulerWidth, QStringLiteral("500"), QStringLiteral("500"))} {}

void TLineFields::Read(const MainWindowConfig& c) {
    (*this)[TLineField::Diameter].Edit(QString::number(c.CircleSize));
    (*this)[TLineField::Angle].Edit(c.RulerDMS);
    (*this)[TLineField::Width].Edit(QString::number(c.RulerWD));
    (*this)[TLineField::Step].Edit(QString::number(c.RulerStep));
}

void TLineFields::Store(MainWindowConfig& c) const {
    c.CircleSize = (*this)[TLineField::Diameter].Good().toInt();
    c.RulerDMS = (*this)[TLineField::Angle].Good();
    c.RulerWD = (*this)[TLineField::Width].Good().toInt();
    c.RulerStep = (*this)[TLineField::Step].Good().toInt();
}

void TConsoleState::Read(const MainWindowConfig& c, TJobSession& session) {
    fields.Read(c);
    TGuidance& g = session.Guidance();
    g.SetPivot({c.RulerX, c.RulerY});
    g.SetExtent({c.RulerX0, c.RulerY0, c.RulerX1, c.RulerY1});
    session.SetOffsets({c.HoseiX, c.HoseiY, c.HoseiH, c.HoseiA});
    guide.Remember(c.GuidePoint);
    buoy.Remember(c.BuoyPoint);
}

void TConsoleState::Store(const TJobSession& session, MainWindowConfig& c) const {
    fields.Store(c);
    const TGuidance& g = session.Guidance();
    c.RulerX = g.Pivot().X;
    c.RulerY = g.Pivot().Y;
    c.RulerX0 = g.Extent().X0;
    c.RulerY0 = g.Extent().Y0;
    c.RulerX1 = g.Extent().X1;
    c.RulerY1 = g.Extent().Y1;
    const TOffsets& o = session.Offsets();
    c.HoseiX = o.X;
    c.HoseiY = o.Y;
    c.HoseiH = o.H;
    c.HoseiA = o.A;
    c.GuidePoint = guide.Name();
    c.BuoyPoint = buoy.Name();
}

void TConsoleState::Offer(const TJobSession& session) {
    QStringList guideNames, buoyNames;
    for (const TKijun& k : session.Kijun().Items()) guideNames << k.Name;
    for (const TIjo& b : session.Ijo().Items()) buoyNames << b.Name;
    guide.Offer(guideNames);
    buoy.Offer(buoyNames);
}

void TConsoleState::Close() {
    guide.Close();
    buoy.Close();
}

void TConsoleState::ForgetExtent(TJobSession& session) {
    TRulerRect e = session.Guidance().Extent();
    e.X0 = e.X1 = 0;
    session.Guidance().SetExtent(e);
}

}  // namespace tidrun
