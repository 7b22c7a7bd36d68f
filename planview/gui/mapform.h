// A plan-view child window of the main window: its survey chart over the map session.
// Each message from the main window is one call into the session, then a repaint of what
// changed; popup menus are built from the session's menu model.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "planview/mapmessages.h"
#include "planview/mapsession.h"

class QPrinter;
class QTimer;

namespace tidrun {

class MessageSink;
class TMapHost;
class TSurveyChart;

class TMapForm : public QWidget {
    Q_OBJECT
  public:
    TMapForm(TMapHost& host, MessageSink& sink, TPlanSources sources, QWidget* parent = nullptr);
    ~TMapForm() override;

    TMapSession& Session() { return *session_; }
    const TMapSession& Session() const { return *session_; }
    TSurveyChart* Chart() const { return chart_; }

    // Switches the main window's actions show as check marks.
    bool CircleRuler() const { return session_->CircleRuler(); }
    bool PlannedLine() const { return session_->PlannedLine(); }
    bool AutoMove() const { return session_->AutoMove(); }
    bool RapidMode() const { return session_->RapidMode(); }
    void SetCircleRuler(bool on);
    void SetPlannedLine(bool on);
    void SetAutoMove(bool on);
    void SetRapidMode(bool on);

    // Window layout and view in section "平面図<index>" of the job's configuration file.
    // The window's geometry is that of its MDI frame (parentWidget()) when it has one.
    void SaveState(const QString& cfgPath, int index) const;
    void LoadState(const QString& cfgPath, int index);

    // Prints with the printer the print dialog set up: one job per copy.
    void PrintWith(QPrinter& printer, int copies);

  public slots:
    void OnBoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres);
    void OnLineEnd();
    void OnCutAdded(int recordIndex);
    void OnTrimTrail();
    void OnMisokuChanged();
    void OnRebuild();
    void OnFitAll();
    void OnRemPoint(int buoyIndex);
    void OnRefPoint(int guideIndex);
    void OnPrint(int copies);
    void OnCircleSize(int diameter);
    void OnRuler(tidrun::TRulerRect segment, tidrun::TRulerRect extent);
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomRem();
    void OnMapColor(QColor colour);

  signals:
    // A switch changed (the main window refreshes its check marks).
    void SwitchesChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowInfoAfterPause();
    void ShowPopup(TPopupKind kind, QPoint globalPos);

    MessageSink& sink_;
    std::unique_ptr<TMapSession> session_;
    TSurveyChart* chart_ = nullptr;
    QTimer* infoPause_ = nullptr;  // the pause before a clicked point's text
};

}  // namespace tidrun
