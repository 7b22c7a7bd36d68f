// A plan-view child window of the main window. For now it shows its caption, its
// background colour and the last values the main window sent it; the chart comes later.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>

#include "planview/mapmessages.h"

namespace tidrun {

class TMapHost;

class TMapForm : public QWidget {
    Q_OBJECT
  public:
    TMapForm(TMapHost& host, QWidget* parent = nullptr);

    // Switches the main window's actions show as check marks.
    bool CircleRuler() const { return circleRuler_; }
    bool PlannedLine() const { return plannedLine_; }
    bool AutoMove() const { return autoMove_; }
    bool RapidMode() const { return rapidMode_; }
    void SetCircleRuler(bool on);
    void SetPlannedLine(bool on);
    void SetAutoMove(bool on);
    void SetRapidMode(bool on);

    // Window layout in section "平面図<index>" of the job's configuration file.
    // The window's geometry is that of its MDI frame (parentWidget()) when it has one.
    void SaveState(const QString& cfgPath, int index) const;
    void LoadState(const QString& cfgPath, int index);

    // What arrived last (shown in the window; read by tests).
    struct Received {
        bool hasBoat = false;
        std::int32_t boatXmm = 0, boatYmm = 0;
        int lastCut = -1;
        int lineEnds = 0;
        int markChanges = 0;
        int fitAll = 0;
        int remPoint = -1;
        int refPoint = -1;
        int printCopies = 0;
        int circleSize = 1;
        TRulerRect rulerSegment, rulerExtent;
        int zoomIn = 0, zoomOut = 0, zoomRem = 0;
        QColor mapColour = QColor(0x00, 0x80, 0x80);
    };
    const Received& Last() const { return last_; }

  public slots:
    void OnBoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres);
    void OnLineEnd();
    void OnCutAdded(int recordIndex);
    void OnMisokuChanged();
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
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TMapHost& host_;
    bool circleRuler_ = false;
    bool plannedLine_ = false;
    bool autoMove_ = false;
    bool rapidMode_ = false;
    bool buoyNames_ = false;
    Received last_;
};

}  // namespace tidrun
