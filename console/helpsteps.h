// The work-procedure help ("作業手順"): the steps of recording and of buoy setting, the
// link words inside them, what a link does in the current state, and where the window goes.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace tidrun {

enum class THelpKind { Recording = 1, BuoySetting = 2 };

// The window caption: the caption of the help action ("収録", "設標") + "の作業手順".
QString HelpCaption(const QString& actionCaption);
// The list: an empty line, then one line per step, each beginning with a blank. A link is
// written "(n,word,)": n is the step it carries out, word the text shown.
QStringList HelpLines(THelpKind kind);

// One piece of a list line: plain text (link 0) or a link word with its step number.
struct THelpSegment {
    QString text;
    int link = 0;
    bool operator==(const THelpSegment&) const = default;
};
// Splits a line into plain text and links. Only "(digits,word,)" is a link; any other
// parenthesis is text.
std::vector<THelpSegment> SplitHelpLine(const QString& line);

enum class THelpAction {
    None,
    Calibrate,      // the calibration dialog
    NewMap,         // a new map window
    ShowCutWindow,  // the tool window "収録"
    ShowRemWindow,  // the tool window "設標"
    ShowGpsWindow,  // the tool window "受信ﾃﾞｰﾀ"
    StartRecording,
    StopRecording,
};

// What the main window has that a link looks at.
struct THelpState {
    bool recording = false;
    bool cutWindowVisible = false;
    bool remWindowVisible = false;
    bool gpsWindowVisible = false;
};

// What clicking link n of the procedure does now. A tool window is only ever shown (a
// visible one stays as it is); recording starts only when idle and stops only when
// running; buoy setting has no recording links.
THelpAction HelpActionFor(THelpKind kind, int link, const THelpState& state);

// Where the window goes when it is shown: a window at the top edge or above (never placed
// yet) moves to 100 below the main window's top and 300 left of its right edge; a negative
// coordinate then becomes 10. A window the user moved down stays where it is.
QPoint HelpPlacement(const QPoint& windowTopLeft, const QRect& mainFrame);

}  // namespace tidrun
