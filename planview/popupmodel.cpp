#include "planview/popupmodel.h"

namespace tidrun {

namespace {

TPopupItem Item(TPopupCommand c, const char* caption) {
    TPopupItem it;
    it.command = c;
    it.caption = QString::fromUtf8(caption);
    return it;
}
TPopupItem Check(TPopupCommand c, const char* caption, bool checked) {
    TPopupItem it = Item(c, caption);
    it.checkable = true;
    it.checked = checked;
    return it;
}
TPopupItem Separator(bool hidden = false) {
    TPopupItem it;
    it.hidden = hidden;
    return it;
}

// The planned-line commands of a point menu; joining is offered only for buoy points and
// marks.
void AddRulerItems(std::vector<TPopupItem>& m, const TPopupState& s, bool join) {
    m.push_back(Separator());
    m.push_back(Item(TPopupCommand::MoveRuler, "計画線の移動"));
    if (join) {
        m.push_back(Item(TPopupCommand::JoinGuide, "誘導点と結ぶ"));
        m.push_back(Item(TPopupCommand::JoinBoat, "移動体と結ぶ"));
    }
    for (auto& it : m)
        if (it.command == TPopupCommand::MoveRuler || it.command == TPopupCommand::JoinGuide ||
            it.command == TPopupCommand::JoinBoat)
            it.enabled = s.plannedLine;
}

// Building a guide line from points is built into the menus but not offered.
void AddGuideItems(std::vector<TPopupItem>& m, const TPopupState& s) {
    m.push_back(Separator(true));
    TPopupItem add = Item(TPopupCommand::GuideAdd, "誘導線の作成");
    add.hidden = true;
    m.push_back(add);
    TPopupItem del = Item(TPopupCommand::GuideDelete, "誘導線の消去");
    del.hidden = true;
    del.enabled = s.guideLine;
    m.push_back(del);
}

}  // namespace

std::vector<TPopupItem> BuildPopup(TPopupKind kind, const TPopupState& s) {
    std::vector<TPopupItem> m;
    switch (kind) {
        case TPopupKind::Chart:
            m.push_back(Item(TPopupCommand::MarkHere, "この位置をマーク"));
            m.push_back(Item(TPopupCommand::MarkBoat, "移動体をマーク"));
            m.push_back(Separator());
            m.push_back(Item(TPopupCommand::Redraw, "平面図の再描画"));
            m.push_back(Separator());
            m.push_back(Check(TPopupCommand::DepthColours, "水深で色分け", s.depthColours));
            m.push_back(Item(TPopupCommand::DepthRange, "水深の範囲..."));
            break;
        case TPopupKind::Mark:
            m.push_back(Item(TPopupCommand::MarkInfo, "マークの情報"));
            m.push_back(Check(TPopupCommand::MarkNames, "マーク名の表示", s.markNames));
            m.push_back(Separator());
            m.push_back(Item(TPopupCommand::MarkChange, "マークの変更"));
            m.push_back(Item(TPopupCommand::MarkDelete, "マークの削除"));
            AddRulerItems(m, s, true);
            AddGuideItems(m, s);
            break;
        case TPopupKind::Buoy:
            m.push_back(Item(TPopupCommand::BuoyInfo, "設標点の情報"));
            m.push_back(Check(TPopupCommand::BuoyNames, "設標点名の表示", s.buoyNames));
            AddRulerItems(m, s, true);
            AddGuideItems(m, s);
            break;
        case TPopupKind::Reference:
            m.push_back(Item(TPopupCommand::RefInfo, "基準点の情報"));
            m.push_back(Check(TPopupCommand::RefNames, "基準点名の表示", s.refNames));
            AddRulerItems(m, s, false);
            AddGuideItems(m, s);
            break;
        case TPopupKind::GuideLine: {
            m.push_back(Item(TPopupCommand::GuideInfo, "誘導線の情報"));
            TPopupItem del = Item(TPopupCommand::GuideDelete, "誘導線の消去");
            del.enabled = s.guideLine;
            m.push_back(del);
            break;
        }
        case TPopupKind::SurveyLine:
            m.push_back(Item(TPopupCommand::CutInfo, "ｶｯﾄ点の情報"));
            m.push_back(Check(TPopupCommand::CutNumbers, "ｶｯﾄ番号の表示", s.lineYellow));
            break;
    }
    return m;
}

}  // namespace tidrun
