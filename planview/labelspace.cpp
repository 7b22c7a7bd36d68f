#include "planview/labelspace.h"

#include <algorithm>

namespace tidrun {

TLabelSpace::TLabelSpace(QSize area, const TLabelSpace* under)
    : under_(under),
      columns_(std::max(1, (area.width() + kCell - 1) / kCell)),
      rows_(std::max(1, (area.height() + kCell - 1) / kCell)),
      head_(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), -1) {}

QRect TLabelSpace::Cells(const QRect& box) const {
    auto column = [this](int x) { return std::clamp(x / kCell, 0, columns_ - 1); };
    auto row = [this](int y) { return std::clamp(y / kCell, 0, rows_ - 1); };
    return QRect(QPoint(column(box.left()), row(box.top())),
                 QPoint(column(box.right()), row(box.bottom())));
}

bool TLabelSpace::Free(const QRect& box) const {
    if (under_ && !under_->Free(box)) return false;
    const QRect cells = Cells(box);
    for (int r = cells.top(); r <= cells.bottom(); ++r)
        for (int c = cells.left(); c <= cells.right(); ++c)
            for (int e = head_[static_cast<size_t>(r * columns_ + c)]; e >= 0;
                 e = entries_[static_cast<size_t>(e)].next)
                if (boxes_[static_cast<size_t>(entries_[static_cast<size_t>(e)].box)].intersects(
                        box))
                    return false;
    return true;
}

bool TLabelSpace::Place(const QRect& box, TLabelRule rule) {
    if (box.isEmpty()) return false;
    if (rule == TLabelRule::Yield && !Free(box)) return false;
    const int index = static_cast<int>(boxes_.size());
    boxes_.push_back(box);
    const QRect cells = Cells(box);
    for (int r = cells.top(); r <= cells.bottom(); ++r)
        for (int c = cells.left(); c <= cells.right(); ++c) {
            int& head = head_[static_cast<size_t>(r * columns_ + c)];
            entries_.push_back({index, head});
            head = static_cast<int>(entries_.size()) - 1;
        }
    return true;
}

}  // namespace tidrun
