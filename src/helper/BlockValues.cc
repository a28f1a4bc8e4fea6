// The object values of a block as `dump` prints them: optionally those of the enclosing blocks
// up to the nearest visibility root first, each block's lines sorted and closed by an empty line.
#include "tavrin/TclHelper.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace Tavrin {

bool TclHelper::printBlockValues(std::ostream& out, const IBlock* block,
                                 const ISimulationControl* simulationControl, Radix radix,
                                 int indent, bool withEnclosing, bool withHeader) {
    if (!block)
        return false;

    bool printed = false;
    if (withEnclosing && !block->isVisibilityRoot())
        printed = printBlockValues(out, block->getParent(), simulationControl, radix, indent,
                                   withEnclosing, withHeader);

    ValueMap values;
    if (simulationControl)
        simulationControl->getBlockValues(block, values, radix);

    // Object lines always use four blanks, so sorting whole lines orders them by class prefix
    // and then by name.
    std::vector<std::string> lines;
    lines.reserve(values.size());
    for (const auto& entry : values) {
        std::ostringstream line;
        printObject(line, entry.first, entry.second, 4, nullptr, false);
        if (!line.str().empty())
            lines.push_back(line.str());
    }
    if (lines.empty())
        return printed;

    if (withHeader)
        out << "Objects in " << block->getPath() << "\n";
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines)
        out << line;
    out << "\n";
    return true;
}

} // namespace Tavrin
