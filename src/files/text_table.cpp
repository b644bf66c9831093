// The text table split of command 8: fields by commas, lines by CR LF, CR
// or LF, Shift-JIS characters taken whole.
#include "base/base.h"
#include "files/files.h"
#include "platform/text.h"

std::vector<std::string> File_SplitTextTable(const uint8_t* data, size_t len) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < len) {
    // One line: [i, end) and the line end after it.
    size_t end = i;
    bool dq = false, sq = false;
    std::string field;
    bool started = false;
    while (end < len && data[end] != '\r' && data[end] != '\n') {
      uint8_t b = data[end];
      if (Sjis_IsLead(b) && end + 1 < len && data[end + 1] != '\r' && data[end + 1] != '\n') {
        field.push_back(char(b));
        field.push_back(char(data[end + 1]));
        started = true;
        end += 2;
        continue;
      }
      if (b == ',' && !dq && !sq) {
        out.push_back(field);
        field.clear();
        started = false;
      } else if (b == '"' || b == '\'') {
        (b == '"' ? dq : sq) = !(b == '"' ? dq : sq);
        field.push_back(char(b));
      } else if ((b == ' ' || b == '\t') && !started) {
        // blanks before a field are not part of it
      } else {
        field.push_back(char(b));
        started = true;
      }
      ++end;
    }
    // Every line gives its last field; an empty line gives one empty
    // element.
    out.push_back(field);
    i = end;
    if (i < len && data[i] == '\r') ++i;
    if (i < len && data[i] == '\n' && (i == end || data[i - 1] == '\r')) ++i;
  }
  return out;
}
