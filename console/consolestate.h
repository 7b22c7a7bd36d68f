// What the console keeps of a job beside the job session: the guide point (誘導点) and the
// buoy point (設標点) chosen, shown and edited by the tool windows, and the job's [設定]
// values the session holds.
#pragma once

#include <QString>
#include <QStringList>

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

struct TConsoleState {
    TPointChoice guide, buoy;

    // The values read from the job's file: the session's planned line and offsets, the
    // remembered points.
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
