// One part of the MJPEG live stream, as the station's viewer parses it.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

// Everything a part carries before its JPEG bytes: delimiter line, type and
// length headers and the blank line.
std::string mjpegPartHeader(std::size_t jpegSize);

// Writes the whole part (header, JPEG, closing CR LF) and flushes, so that a
// reader gets each part as soon as it is complete.
void writeMjpegPart(std::ostream& out, const std::vector<unsigned char>& jpeg);
