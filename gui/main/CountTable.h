#pragma once

namespace ostrilo {

class ATRTable;

// The program's one count table. Created the first time any code asks for it; released by the
// main window's closing sequence, after which the next use creates an empty one again.
ATRTable& countTable();
void releaseCountTable();

}  // namespace ostrilo
