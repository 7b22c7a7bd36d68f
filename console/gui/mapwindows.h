// The main window's workspace of plan-view windows: making them, arranging them, and the
// messages every one of them is sent (posted, so that each handles them after the current
// handler has returned).
#pragma once

#include <QList>
#include <QObject>

#include <cstdint>

#include "planview/mapmessages.h"
#include "planview/planscene.h"

class QColor;
class QMdiArea;
class QWidget;

namespace tidrun {

class MessageSink;
class TMapForm;
class TMapHost;

class TMapWindows : public QObject {
    Q_OBJECT
  public:
    // The workspace is made as a child of parent.
    TMapWindows(TMapHost& host, MessageSink& sink, QWidget* parent);

    QMdiArea* Area() const { return mdiArea_; }
    int Counter() const { return counter_; }
    QList<TMapForm*> Forms() const;
    TMapForm* Active() const;

    // savedIndex -1: a new window; otherwise its layout is read from section 平面図<n> of
    // cfgPath. The window starts with the planned line and the chosen points given.
    TMapForm* Create(TPlanSources sources, const QColor& colour, const QString& cfgPath,
                     int savedIndex, bool maximise, const TRulerRect& segment,
                     const TRulerRect& extent, int guide, int buoy);
    // Each window's layout into section 平面図<n> of cfgPath, from the bottom of the stack
    // to the top (made again in that order, they come back stacked as they were); the count.
    int SaveAll(const QString& cfgPath) const;
    // Every window closes once the current handler has returned.
    void CloseAll();
    // Posts a message to the active window, if any.
    void PostToActive(void (TMapForm::*slot)());
    // ﾌｧｲﾙ印刷: the print dialog, then the active window prints.
    void PrintActive(QWidget* dialogParent);
    void Tile();
    void Cascade();
    void ArrangeIcons();
    void MinimizeAll();

  signals:
    // Sent on to every map window.
    void BoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres);
    void LineEnd();
    void CutAdded(int recordIndex);
    void MisokuChanged();
    void RemPoint(int buoyIndex);
    void RefPoint(int guideIndex);
    void CircleSize(int diameter);
    void Ruler(tidrun::TRulerRect segment, tidrun::TRulerRect extent);
    // A window's switches changed; a window has gone.
    void SwitchesChanged();
    void WindowGone();

  private:
    TMapHost& host_;
    MessageSink& sink_;
    QMdiArea* mdiArea_;
    int counter_ = 0;
};

}  // namespace tidrun
