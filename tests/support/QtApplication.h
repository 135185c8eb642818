#pragma once
// The one QApplication of a Qt test program.

namespace slidora::test {

// Creates the application on first use. It is ended after the last test by a
// test environment, while Qt's own globals still live (ending it from an exit
// handler comes too late for them), so no test program leaks it.
void ensureApplication();

} // namespace slidora::test
