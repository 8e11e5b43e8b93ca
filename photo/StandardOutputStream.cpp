// The live stream's std::ostream on the program's standard output.
#include "StandardOutputStream.h"

#include "StandardOutput.h"

#include <streambuf>
#include <string>

namespace {

class StandardOutputBuffer : public std::streambuf {
protected:
    int_type overflow(int_type character) override
    {
        if (!traits_type::eq_int_type(character, traits_type::eof())) {
            pending_ += traits_type::to_char_type(character);
        }
        return traits_type::not_eof(character);
    }

    std::streamsize xsputn(const char* bytes, std::streamsize count) override
    {
        pending_.append(bytes, static_cast<std::size_t>(count));
        return count;
    }

    int sync() override
    {
        const bool written = kestrum::writeStandardOutput(pending_);
        pending_.clear();
        return written ? 0 : -1;
    }

private:
    std::string pending_;
};

} // namespace

std::ostream& standardOutputStream()
{
    static StandardOutputBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}
