// The popup menus of a map window as plain data: which items each menu has, in order, and
// which are enabled, checked or hidden at the moment it opens. The widget turns a menu
// into a QMenu and hands the chosen command back to the session.
#pragma once

#include <QString>

#include <vector>

namespace tidrun {

enum class TPopupKind { Chart, Mark, Buoy, Reference, GuideLine, SurveyLine };

enum class TPopupCommand {
    None,  // separator
    MarkHere,
    MarkBoat,
    Redraw,
    MarkInfo,
    MarkNames,
    MarkChange,
    MarkDelete,
    MoveRuler,
    JoinGuide,
    JoinBoat,
    BuoyInfo,
    BuoyNames,
    RefInfo,
    RefNames,
    GuideInfo,
    GuideDelete,
    CutInfo,
    CutNumbers,
    GuideAdd,
    DepthColours,
    DepthRange,
};

struct TPopupItem {
    TPopupCommand command = TPopupCommand::None;
    QString caption;  // empty for a separator
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    bool hidden = false;
    bool IsSeparator() const { return command == TPopupCommand::None; }
};

// The states the menus depend on when they open.
struct TPopupState {
    bool plannedLine = false;  // the planned-line switch
    bool guideLine = false;    // a guide line exists
    bool markNames = false;    // labels visible, per kind
    bool buoyNames = false;
    bool refNames = false;
    bool lineYellow = false;    // the clicked survey line shows its cut numbers
    bool depthColours = false;  // cuts coloured by depth
};

std::vector<TPopupItem> BuildPopup(TPopupKind kind, const TPopupState& state);

}  // namespace tidrun
