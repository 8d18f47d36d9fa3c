// One CSV field, for every CSV file the tools write.
#include "commissioning/csv_text.h"

namespace vx::commissioning {

std::string csv_field(std::string text) {
    for (char& ch : text) {
        if (ch == kCsvSeparator || ch == '\n' || ch == '\r' || ch == '"') {
            ch = ' ';
        }
    }
    return text;
}

}  // namespace vx::commissioning
