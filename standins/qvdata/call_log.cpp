#include "standins/qvdata/call_log.h"

#include <stdio.h>

namespace qvsim {

std::string quoted(const char *text) {
    return text == nullptr ? std::string("NULL") : quoted(std::string(text));
}

std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char hex[8];
                snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string CallLog::text() const {
    std::string out;
    for (const std::string &e : entries_)
        out += e + "\n";
    return out;
}

}  // namespace qvsim
