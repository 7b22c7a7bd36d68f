// The work-procedure help window ("作業手順"): a small window beside the main window listing
// the steps of recording or of buoy setting; the link words carry out their step through
// the main window, reached by mouse or by Tab and Return.
#pragma once

#include "console/helpsteps.h"

#include <QWidget>

#include <vector>

class QLabel;
class QVBoxLayout;

namespace tidrun {

class TFormHelp : public QWidget {
    Q_OBJECT
  public:
    // A tool window of parent; put at the top left corner until first shown.
    explicit TFormHelp(QWidget* parent = nullptr);

    // Caption actionCaption + "の作業手順" and the procedure's steps, replacing what the
    // window showed.
    void Fill(THelpKind kind, const QString& actionCaption);
    THelpKind Kind() const { return kind_; }
    // Places the window beside mainFrame (unless the user moved it down) and shows it.
    void ShowBeside(const QRect& mainFrame);

    // The step lines as shown, one label per line.
    const std::vector<QLabel*>& Lines() const { return lines_; }

  signals:
    // Link `link` of the procedure `kind` was clicked or activated from the keyboard.
    void LinkActivated(tidrun::THelpKind kind, int link);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* list_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    std::vector<QLabel*> lines_;
    THelpKind kind_ = THelpKind::Recording;
};

}  // namespace tidrun
