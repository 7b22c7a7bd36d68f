// The plan-view drawing surface of a map window. Paints the session's view and overlays
// through the one painting function (cached static layers, the boat over them), shows a
// rubber band while a zoom rectangle is dragged, forwards the mouse to the session and
// prints the plan.
#pragma once

#include <QWidget>

#include <memory>

#include "planview/mapsession.h"
#include "planview/paintplan.h"

class QPagedPaintDevice;
class QPrinter;
class QRubberBand;

namespace tidrun {

class TSurveyChart : public QWidget {
    Q_OBJECT
  public:
    TSurveyChart(TMapSession& session, QWidget* parent = nullptr);
    ~TSurveyChart() override;

    // Repaints what a session call said changed.
    void Repaint(TRepaint what);

    // One print job per copy on the printer as the print dialog left it (its file output
    // included); the document title is the control's name. False when a job failed.
    bool Print(QPrinter& printer, int copies);
    // Paints the plan on one page of a paged device (a printer or a PDF writer), the
    // widget's view scaled to the page's printable area with its proportions kept.
    void PaintPage(QPagedPaintDevice& device, QPainter& painter) const;

  signals:
    // A release asked for the information of a point or for a popup menu.
    void InfoRequested();
    void PopupRequested(tidrun::TPopupKind kind, QPoint globalPos);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // One copy to the printer's PDF file. False when it could not be written whole.
    bool PrintToPdfFile(const QPrinter& printer) const;
    static TMapSession::TButton ButtonOf(Qt::MouseButton b);
    TMapSession& session_;
    TPlanLayerCache cache_;
    QRect boatRect_;
    QRubberBand* band_ = nullptr;
};

}  // namespace tidrun
