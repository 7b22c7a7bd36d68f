// The room the labels of one paint take: a label is drawn only where it does not overlap
// one drawn before it, so that dense cut numbers or point names stay legible instead of
// merging into a bar. The boxes are kept in a coarse grid of cells, so that a test looks at
// the few boxes near a label, not at every box of the paint.
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace tidrun {

// How a label yields to the labels drawn before it.
enum class TLabelRule {
    Yield,   // left out where it would overlap one
    Always,  // drawn whatever lies under it (a recorded line's last cut)
};

class TLabelSpace {
  public:
    // area: the device's size (boxes beyond it are kept in its edge cells). under: the
    // labels of the same paint drawn before, as a cached picture holds them; they are
    // looked at, never changed.
    explicit TLabelSpace(QSize area, const TLabelSpace* under = nullptr);

    // True, taking the room, when the box may be drawn by the rule.
    bool Place(const QRect& box, TLabelRule rule);
    // True when the box overlaps none taken here or under.
    bool Free(const QRect& box) const;
    // The boxes taken here, in the order they were placed.
    const std::vector<QRect>& Taken() const { return boxes_; }

  private:
    static constexpr int kCell = 32;  // pixels; a label of a few digits spans one or two
    QRect Cells(const QRect& box) const;

    const TLabelSpace* under_;
    int columns_, rows_;
    std::vector<int> head_;  // per cell: first entry, -1 when none
    struct Entry {
        int box, next;
    };
    std::vector<Entry> entries_;
    std::vector<QRect> boxes_;
};

}  // namespace tidrun
