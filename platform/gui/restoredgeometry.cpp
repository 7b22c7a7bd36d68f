#include "platform/gui/restoredgeometry.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace tidrun {

namespace {

bool IsNormal(const QWidget* w) {
    return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

class RestoredGeometryTracker : public QObject {
  public:
    explicit RestoredGeometryTracker(QWidget* widget) : QObject(widget), widget_(widget) {
        setObjectName(QStringLiteral("restoredGeometryTracker"));
        normal_ = widget->geometry();
        stateNormal_ = IsNormal(widget);
        widget->installEventFilter(this);
    }
    QRect Normal() const { return normal_; }
    void SetNormal(const QRect& r) { normal_ = r; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_) return false;
        // Only what the user sees counts: an MDI frame passes through other geometries
        // while hidden on its way to or from the maximised state, and a maximised one
        // drops that state for the moment its workspace resizes it.
        if (event->type() == QEvent::WindowStateChange) stateNormal_ = IsNormal(widget_);
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            widget_->isVisible() && stateNormal_ && IsNormal(widget_))
            normal_ = widget_->geometry();
        return false;
    }

  private:
    QWidget* widget_;
    QRect normal_;
    bool stateNormal_ = true;  // as the last change of the window state left it
};

RestoredGeometryTracker* TrackerOf(const QWidget* widget) {
    // Only this file makes objects of that name.
    return static_cast<RestoredGeometryTracker*>(widget->findChild<QObject*>(
        QStringLiteral("restoredGeometryTracker"), Qt::FindDirectChildrenOnly));
}

}  // namespace

void TrackRestoredGeometry(QWidget* widget) {
    if (widget && !TrackerOf(widget)) new RestoredGeometryTracker(widget);
}

void SetRestoredGeometry(QWidget* widget, const QRect& geometry) {
    if (RestoredGeometryTracker* t = TrackerOf(widget)) t->SetNormal(geometry);
}

QRect RestoredGeometry(const QWidget* widget) {
    if (IsNormal(widget) && widget->isVisible()) return widget->geometry();
    const RestoredGeometryTracker* t = TrackerOf(widget);
    return t && t->Normal().isValid() ? t->Normal() : widget->geometry();
}

}  // namespace tidrun
