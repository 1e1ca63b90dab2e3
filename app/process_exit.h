// Ending the process from the main routine.
//
// Query workers are never waited for, and a worker may still run when the
// program ends after a failure; so the process ends without running global
// destructors under threads that might still use the globals. The caller
// closes the workbook first. Main thread only.
#pragma once

namespace korvan {

// Flushes the console, puts the terminal mode back and ends the process
// with `code` at once (std::_Exit).
[[noreturn]] void EndProcess(int code);

}  // namespace korvan
