// Display radix of values, shared by the shell and the engine control.
#pragma once

namespace Tavrin {

/// The radix in which a value is shown or typed; its value indexes the radix name tables.
enum Radix {
    NoRadix = 0,
    DefaultRadix = 1,
    BinRadix = 2,
    UnsignedRadix = 3,
    HexRadix = 4,
    DecRadix = 5,
    AsciiRadix = 6,
    OctRadix = 7
};

} // namespace Tavrin
