#include "console/helpsteps.h"

#include <QRegularExpression>

namespace tidrun {

QString HelpCaption(const QString& actionCaption) {
    return actionCaption + QStringLiteral("の作業手順");
}

QStringList HelpLines(THelpKind kind) {
    if (kind == THelpKind::BuoySetting)
        return {QString(),
                QStringLiteral(" (2,平面図,)を開く"),
                QStringLiteral(" GPSの(1,補正,)"),
                QStringLiteral(" (4,受信ﾃﾞｰﾀｳｨﾝﾄﾞｳ,)を開く"),
                QStringLiteral(" (3,設標ｳｨﾝﾄﾞｳ,)を開く"),
                QStringLiteral(" 設標（設標点の入力）")};
    return {QString(),
            QStringLiteral(" (2,平面図,)を開く"),
            QStringLiteral(" GPSの(1,補正,)"),
            QStringLiteral(" (4,受信ﾃﾞｰﾀｳｨﾝﾄﾞｳ,)を開く"),
            QStringLiteral(" (3,収録ｳｨﾝﾄﾞｳ,)を開く"),
            QStringLiteral(" 収録の(5,準備,)（測線名の入力）"),
            QStringLiteral(" 収録（データの保存）"),
            QStringLiteral(" 収録(6,完了,)（測線の終了）")};
}

std::vector<THelpSegment> SplitHelpLine(const QString& line) {
    static const QRegularExpression link(QStringLiteral("\\((\\d+),([^,()]*),\\)"));
    std::vector<THelpSegment> out;
    qsizetype at = 0;
    for (auto it = link.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() > at) out.push_back({line.mid(at, m.capturedStart() - at), 0});
        out.push_back({m.captured(2), m.captured(1).toInt()});
        at = m.capturedEnd();
    }
    if (at < line.size()) out.push_back({line.mid(at), 0});
    return out;
}

THelpAction HelpActionFor(THelpKind kind, int link, const THelpState& state) {
    const bool recording = kind == THelpKind::Recording;
    switch (link) {
        case 1:
            return THelpAction::Calibrate;
        case 2:
            return THelpAction::NewMap;
        case 3:
            if (recording)
                return state.cutWindowVisible ? THelpAction::None : THelpAction::ShowCutWindow;
            return state.remWindowVisible ? THelpAction::None : THelpAction::ShowRemWindow;
        case 4:
            return state.gpsWindowVisible ? THelpAction::None : THelpAction::ShowGpsWindow;
        case 5:
            return recording && !state.recording ? THelpAction::StartRecording : THelpAction::None;
        case 6:
            return recording && state.recording ? THelpAction::StopRecording : THelpAction::None;
        default:
            return THelpAction::None;
    }
}

QPoint HelpPlacement(const QPoint& windowTopLeft, const QRect& mainFrame) {
    QPoint p = windowTopLeft;
    if (p.y() <= 0) p = QPoint(mainFrame.left() + mainFrame.width() - 300, mainFrame.top() + 100);
    if (p.y() < 0) p.setY(10);
    if (p.x() < 0) p.setX(10);
    return p;
}

}  // namespace tidrun
