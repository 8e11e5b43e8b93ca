// Operator messages on one line each.
#include "MessageLine.h"

void writeLine(std::ostream& out, const std::string& text)
{
    out << text << '\n';
    out.flush();
}

std::string singleLineMessage(const std::exception& error)
{
    std::string text = error.what();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}
