// The host's own picture of one wave configuration (one GTKWave tab). GTKWave has no ids, so the
// host numbers what the window commands create and works out from this model which rows of
// GTKWave's trace list belong to an id: a trace or a divider is one row; a group or virtual bus
// is a begin row, its members and an end row, and has no rows at all until its first member
// arrives (GTKWave knows no empty group). Rows loaded from a save file come first and are not
// modelled.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace OrvexGui {

struct WaveItem {
    enum Kind { Trace, Group, Divider, Vbus };
    Kind kind = Trace;
    std::string name;  // the facility name of a trace, the label of a container
    int parent = -1;   // the containing group or virtual bus, -1 at the top
    std::vector<int> children;
    bool created = false; // has rows in GTKWave
    std::vector<std::pair<std::string, std::string>> pending; // properties for when it is created
    std::vector<std::pair<std::string, std::string>> applied; // a container's, for a rebuild
};

class WaveModel {
public:
    /// Adds an item at the end of `parent` (-1: the top level); returns its id (1 or more).
    int add(WaveItem::Kind kind, const std::string& name, int parent);
    WaveItem* find(int id);
    const WaveItem* find(int id) const;
    /// Rows taken by an item and everything in it.
    int rows(int id) const;
    /// The first row of an item (where it is, or would be once created).
    int rowOf(int id) const;
    /// The row after which content added to `parent` goes; -1 for the end of the list.
    int insertAfter(int parent) const;
    int rowCount() const;
    /// Forgets every item; `foreignRows` rows (from a save file) stay above whatever comes next.
    void reset(int foreignRows);

private:
    int rowsBefore(const std::vector<int>& list, int id, bool& found) const;

    std::map<int, WaveItem> items_;
    std::vector<int> top_;
    int foreignRows_ = 0;
    static int nextId_; // unique over all configurations, so ids never name the wrong item
};

} // namespace OrvexGui
