#include "planview/markprops.h"

namespace tidrun {

const std::array<TBasicColour, 16>& BasicColourTable() {
    static const std::array<TBasicColour, 16> table = {{
        {"Black", qRgb(0x00, 0x00, 0x00), "黒"},
        {"Maroon", qRgb(0x80, 0x00, 0x00), "栗色"},
        {"Green", qRgb(0x00, 0x80, 0x00), "緑"},
        {"Olive", qRgb(0x80, 0x80, 0x00), "オリーブ"},
        {"Navy", qRgb(0x00, 0x00, 0x80), "濃紺"},
        {"Purple", qRgb(0x80, 0x00, 0x80), "紫"},
        {"Teal", qRgb(0x00, 0x80, 0x80), "青緑"},
        {"Gray", qRgb(0x80, 0x80, 0x80), "灰色"},
        {"Silver", qRgb(0xC0, 0xC0, 0xC0), "銀色"},
        {"Red", qRgb(0xFF, 0x00, 0x00), "赤"},
        {"Lime", qRgb(0x00, 0xFF, 0x00), "黄緑"},
        {"Yellow", qRgb(0xFF, 0xFF, 0x00), "黄"},
        {"Blue", qRgb(0x00, 0x00, 0xFF), "青"},
        {"Fuchsia", qRgb(0xFF, 0x00, 0xFF), "赤紫"},
        {"Aqua", qRgb(0x00, 0xFF, 0xFF), "水色"},
        {"White", qRgb(0xFF, 0xFF, 0xFF), "白"},
    }};
    return table;
}

const std::array<QRgb, 16>& BasicColours() {
    static const std::array<QRgb, 16> colours = [] {
        std::array<QRgb, 16> out{};
        for (size_t i = 0; i < out.size(); ++i) out[i] = BasicColourTable()[i].rgb;
        return out;
    }();
    return colours;
}

const TBasicColour* BasicColourNamed(const QString& name) {
    for (const TBasicColour& c : BasicColourTable())
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) return &c;
    return nullptr;
}

QString ValidateMarkName(const QString& name) {
    if (name.contains(QLatin1Char('"'))) return QStringLiteral("名称に引用符(\")は使えません");
    return {};
}

}  // namespace tidrun
