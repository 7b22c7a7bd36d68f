// The main window's tool windows (誘導点, 設標, 受信ﾃﾞｰﾀ, 収録) with their panels: made once,
// docked at the right, their heights balanced to their contents, their layout stored with
// the job's file.
#pragma once

#include <QList>
#include <QObject>

class QAction;
class QDockWidget;
class QMainWindow;
class QWidget;

namespace tidrun {

struct TConsoleState;
struct TMainActions;
class TCutPanel;
class TDepthPanel;
class TGpsPanel;
class TGuidePanel;
class TRefPanel;

class TToolDocks : public QObject {
    Q_OBJECT
  public:
    // The docks take their captions from the actions that show them.
    TToolDocks(QMainWindow& window, const TMainActions& actions);

    TCutPanel& Cut() const { return *pnlCut_; }
    TGuidePanel& Guide() const { return *pnlGuide_; }
    TGpsPanel& Gps() const { return *pnlGPS_; }
    TRefPanel& Ref() const { return *pnlRef_; }
    TDepthPanel& Depth() const { return *pnlDepth_; }
    QDockWidget* CutDock() const { return ToolWinCut_; }
    QDockWidget* BuoyDock() const { return ToolWinRem_; }
    QDockWidget* GpsDock() const { return ToolWinGPS_; }
    QDockWidget* GuideDock() const { return ToolWinRef_; }
    QDockWidget* DepthDock() const { return ToolWinDepth_; }

    // The guide and buoy point choosers show the console's choices.
    void ShowPointChoices(const TConsoleState& state);
    // The job's layout from its file (state text), or the default one.
    void RestoreLayout(const QString& cfgPath);
    void SaveLayout(const QString& cfgPath);
    // 設標, 受信ﾃﾞｰﾀ and 収録 shown at the right.
    void ShowDefaults();
    // Shows a hidden dock (focusing its chooser) or hides a shown one.
    void Toggle(QDockWidget* dock);
    // ﾂｰﾙの整理: every tool window docked at the right again, shown or hidden as it was.
    void Align();
    // The tool windows docked at the right get the heights their contents ask for, as far
    // as the window's height allows.
    void Balance();
    void FitToContent(QDockWidget* dock);
    // The width the shown docks take at the left and at the right together.
    int DockedWidth() const;

  signals:
    void VisibilityChanged();  // a dock shown or hidden, by any means
    void Moved();              // a dock docked elsewhere
    void Toggled();            // a dock shown or hidden by Toggle

  private:
    QDockWidget* MakeDock(const char* name, const QAction& action, QWidget* content);
    QList<QDockWidget*> All() const;
    QWidget* FocusOf(QDockWidget* dock) const;

    QMainWindow& window_;
    TCutPanel* pnlCut_;
    TGuidePanel* pnlGuide_;
    TGpsPanel* pnlGPS_;
    TRefPanel* pnlRef_;
    TDepthPanel* pnlDepth_;
    QDockWidget *ToolWinCut_, *ToolWinRem_, *ToolWinGPS_, *ToolWinRef_, *ToolWinDepth_;
};

}  // namespace tidrun
