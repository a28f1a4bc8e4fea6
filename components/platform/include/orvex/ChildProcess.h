// How a parent learns whether its forked child's exec worked: the child writes exec's errno into
// a close-on-exec pipe, which a successful exec closes unwritten.
#pragma once

namespace Tavrin {

/// In the child, after exec failed: hands `error` to the parent and ends the child with status
/// 127. Async-signal-safe.
[[noreturn]] void reportExecFailure(int reportFd, int error);

/// In the parent, with the write end closed: waits until the child has exec'd (0) or reported why
/// it could not (that errno), and closes `reportFd`.
int execFailure(int reportFd);

} // namespace Tavrin
