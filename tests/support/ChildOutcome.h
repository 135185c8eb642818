#pragma once
// How a call run apart from the test (a forked child on POSIX, a thread on
// Windows) with a deadline ended, and its name for failure messages.
namespace slidora::test {

enum class ChildOutcome { False, True, TimedOut, Crashed };

inline const char* outcomeName(ChildOutcome o) {
    switch (o) {
    case ChildOutcome::False:
        return "false";
    case ChildOutcome::True:
        return "true";
    case ChildOutcome::TimedOut:
        return "timed out (blocked)";
    case ChildOutcome::Crashed:
        return "crashed";
    }
    return "?";
}

} // namespace slidora::test
