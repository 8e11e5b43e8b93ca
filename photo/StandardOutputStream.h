// The live stream's std::ostream on the program's standard output.
#pragma once

#include <ostream>

// Collects what is put into it and hands it to the standard output writer whole
// at each flush; a flush whose bytes were not all written leaves the stream bad.
std::ostream& standardOutputStream();
