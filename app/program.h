// The main routine of one program execution: banner, run parameters,
// settings, the workbook, query runs until the end menu ends the program.
//
// Main thread only. Never returns: every exit ends the process through
// EndProcess, with exit code 0, or 1 when a failure escapes the start-up
// loaders (run parameters, settings), after a report on the console.
#pragma once

namespace korvan {

[[noreturn]] void ProgramMain();

}  // namespace korvan
