// What the console keeps of a job beside the job session: the guide point (誘導点) and the
// buoy point (設標点) chosen, shown and edited by the tool windows, the entry fields of the
// planned line and the circle ruler, shown and edited by their toolbars, and the job's
// [設定] values the session holds.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

#include "console/guidance.h"

namespace tidrun {

class TJobSession;
struct MainWindowConfig;

// A point chosen from a job's list, kept by name in the job's file: the name is remembered
// while no job is open and chosen again in the next job that has that point.
class TPointChoice {
  public:
    // The name read from the job's file (empty: none).
    void Remember(const QString& name);
    // The points of the job just opened: the remembered one is chosen where it is among them.
    void Offer(const QStringList& names);
    // Index into the offered points; -1 (or one out of range): none.
    void Choose(int index);
    // The job closes: its choice is remembered, its points go.
    void Close();

    int Index() const { return index_; }
    const QStringList& Names() const { return names_; }
    // The name stored with the job: the chosen point's while points are offered, else the
    // one remembered.
    QString Name() const;

  private:
    QStringList names_;
    QString remembered_;
    int index_ = -1;
    bool offered_ = false;
};

// An entry field as the console keeps it: the text shown, the value it yields for the
// guidance and the map windows (the field's fallback, marked bad, while the text fails its
// check), and the last text that passed the check, which is what the job's file keeps.
class TFieldText {
  public:
    using Rule = TFieldValue (*)(const QString&);
    TFieldText(Rule rule, const QString& text, const QString& good);

    // The field's text changed, typed or set: a text that passes is the good one from now.
    void Edit(const QString& text);
    const QString& Text() const { return text_; }
    TFieldValue Value() const { return rule_(text_); }
    const QString& Good() const { return good_; }

  private:
    Rule rule_;
    QString text_, good_;
};

enum class TLineField { Diameter, Angle, Width, Step };

// The circle ruler's diameter and the planned line's angle, width and parallel-move step.
class TLineFields {
  public:
    TLineFields();
    TFieldText& operator[](TLineField f) { return fields_[static_cast<size_t>(f)]; }
    const TFieldText& operator[](TLineField f) const { return fields_[static_cast<size_t>(f)]; }
    TFieldValue Value(TLineField f) const { return (*this)[f].Value(); }

    // The texts read from the job's file, and the good texts as they go back to it.
    void Read(const MainWindowConfig& c);
    void Store(MainWindowConfig& c) const;

  private:
    std::array<TFieldText, 4> fields_;
};

struct TConsoleState {
    TPointChoice guide, buoy;
    TLineFields fields;

    // The values read from the job's file: the fields, the session's planned line and
    // offsets, the remembered points.
    void Read(const MainWindowConfig& c, TJobSession& session);
    // The same values as they go back to the file.
    void Store(const TJobSession& session, MainWindowConfig& c) const;
    // The points of the job the session has loaded are offered to the choices.
    void Offer(const TJobSession& session);
    void Close();
    // The survey area changed: the planned line's extent is made again at the open.
    static void ForgetExtent(TJobSession& session);
};

}  // namespace tidrun
