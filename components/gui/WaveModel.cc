// Ids and GTKWave row arithmetic of a wave configuration.
#include "WaveModel.h"

namespace OrvexGui {

int WaveModel::nextId_ = 1;

int WaveModel::add(WaveItem::Kind kind, const std::string& name, int parent) {
    const int id = nextId_++;
    WaveItem item;
    item.kind = kind;
    item.name = name;
    item.parent = parent;
    item.created = kind == WaveItem::Trace;
    items_[id] = item;
    if (WaveItem* up = find(parent))
        up->children.push_back(id);
    else
        top_.push_back(id);
    return id;
}

WaveItem* WaveModel::find(int id) {
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : &found->second;
}

const WaveItem* WaveModel::find(int id) const {
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : &found->second;
}

int WaveModel::rows(int id) const {
    const WaveItem* item = find(id);
    if (!item || !item->created) return 0;
    if (item->kind == WaveItem::Trace || item->kind == WaveItem::Divider) return 1;
    int total = 2;
    for (int child : item->children) total += rows(child);
    return total;
}

int WaveModel::rowsBefore(const std::vector<int>& list, int id, bool& found) const {
    int total = 0;
    for (int item : list) {
        if (item == id) {
            found = true;
            return total;
        }
        const WaveItem* it = find(item);
        if (it && (it->kind == WaveItem::Group || it->kind == WaveItem::Vbus) && it->created) {
            const int inner = rowsBefore(it->children, id, found);
            if (found) return total + 1 + inner;
        }
        total += rows(item);
    }
    return total;
}

int WaveModel::rowOf(int id) const {
    bool found = false;
    return foreignRows_ + rowsBefore(top_, id, found);
}

int WaveModel::insertAfter(int parent) const {
    const WaveItem* item = find(parent);
    if (!item) return -1; // the end of the list
    if (item->created) return rowOf(parent) + rows(parent) - 2; // the last row before its end
    return rowOf(parent) - 1;
}

int WaveModel::rowCount() const {
    int total = foreignRows_;
    for (int id : top_) total += rows(id);
    return total;
}

void WaveModel::reset(int foreignRows) {
    items_.clear();
    top_.clear();
    foreignRows_ = foreignRows;
}

} // namespace OrvexGui
