// Operator messages on one line each.
#include "MessageLine.h"

#include "LineWriter.h"

bool LineChannel::writeLine(const std::string& text) const
{
    if (stream_ == nullptr) {
        return kestrum::writeLine(fd_, text);
    }
    *stream_ << text << '\n';
    stream_->flush();
    return static_cast<bool>(*stream_);
}

std::string singleLineMessage(const std::exception& error)
{
    std::string text = error.what();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}
