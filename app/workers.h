// The state of the engines between worksheets, as the main thread sees it.
// Main thread only.
#pragma once

namespace korvan {

// True when every engine's Done is set (engines that were not started keep
// Done from LoadSettings), false at the first engine still busy.
bool AllWorkersDone();

// Frees every engine's Keywords and Results list. An engine whose worker
// is still running (Done clear, possible only when the program ends after a
// failure) keeps its lists: the worker still owns them.
void FreeEngineLists();

}  // namespace korvan
