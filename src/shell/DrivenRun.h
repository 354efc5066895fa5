#pragma once
// The program driven from outside, for tests and benchmarks that run it as a user would:
// - LCTUNE_TEST_RUN_SECONDS=N: every change of the note is printed on stdout (its text, its ground
//   and the seconds since the first captured sound); after N seconds the tuner window is closed,
//   which ends the program through its exit sequence; at the end the frames dropped by capture are
//   printed.
// - LCTUNE_TEST_RECORD=FILE:START:SECONDS: START seconds after the tuner window opens, the tuner
//   is ended and a recording to FILE is started with the record button; SECONDS later it is
//   stopped and the tuner started again, as a user would with the buttons. Both steps print the
//   frames dropped so far.
// While driven, questions are answered No and messages go to stderr (the program waits for
// nobody).

namespace lctune {

class 封面;

namespace DrivenRun {

/// The seconds of LCTUNE_TEST_RUN_SECONDS; 0 when unset.
double runSeconds();
/// Reports, records as asked and closes the tuner window after `seconds`.
void start(封面& cover, double seconds);

} // namespace DrivenRun
} // namespace lctune
