// One part of the MJPEG live stream.
#include "MjpegPart.h"

std::string mjpegPartHeader(std::size_t jpegSize)
{
    return "--kestrumframe\r\nContent-Type: image/jpeg\r\nContent-Length: " + std::to_string(jpegSize) +
           "\r\n\r\n";
}

void writeMjpegPart(std::ostream& out, const std::vector<unsigned char>& jpeg)
{
    out << mjpegPartHeader(jpeg.size());
    out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    out << "\r\n";
    out.flush();
}
