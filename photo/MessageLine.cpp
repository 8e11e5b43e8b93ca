// Operator messages on one line each.
#include "MessageLine.h"

#include "LineWriter.h"
#include "StandardOutput.h"

#include <unistd.h>

bool LineChannel::writeLine(const std::string& text) const
{
    if (stream_ == nullptr) {
        return target_ == Target::StandardOutput ? kestrum::writeStandardOutput(text + '\n')
                                                 : kestrum::writeLine(STDERR_FILENO, text);
    }
    *stream_ << text << '\n';
    stream_->flush();
    return static_cast<bool>(*stream_);
}
