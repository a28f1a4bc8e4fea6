// Progress of a long run: while the simulation runs, a sampling thread reports the simulation
// time reached a few times a second (*progress with time, start, elapsed and the target of a
// timed run), so that a front end can show how far a run has got without asking the engine,
// which cannot answer while it simulates. It also passes on the design's buffered output as often,
// so that what a long run prints is seen while it runs.
#pragma once

#include <cstdint>

namespace OrvexEngine {

/// The end of the timed run being started, in femtoseconds; -1 for a run without one.
void setRunTarget(std::int64_t fs);
/// The simulation resumes with a run (on the simulation thread, after the run's ^done).
void runProgressResumes();
/// The run pauses or ends: no report follows until the next resume. Called before *stopped is
/// sent, so that no report of this run can come after it.
void runProgressPauses();

} // namespace OrvexEngine
