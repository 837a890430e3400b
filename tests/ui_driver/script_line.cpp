#include "script_line.h"

namespace uidriver {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Expands ${NAME} at text[pos]; returns false for an unterminated reference.
bool ExpandVariable(const std::string& text, size_t& pos, VariableLookup lookup, std::string& out) {
  const size_t close = text.find('}', pos + 2);
  if (close == std::string::npos) return false;
  const std::string name = text.substr(pos + 2, close - pos - 2);
  if (lookup) out += lookup(name);
  pos = close + 1;
  return true;
}

}  // namespace

ParsedLine SplitScriptLine(const std::string& line, VariableLookup lookup) {
  ParsedLine result;
  size_t pos = 0;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos < line.size() && line[pos] == '#') return result;

  while (pos < line.size()) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) break;
    std::string word;
    if (line[pos] == '"') {
      ++pos;
      bool closed = false;
      while (pos < line.size()) {
        const char c = line[pos];
        if (c == '"') {
          closed = true;
          ++pos;
          break;
        }
        if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '"' || line[pos + 1] == '\\')) {
          word += line[pos + 1];
          pos += 2;
        } else if (c == '$' && pos + 1 < line.size() && line[pos + 1] == '{') {
          if (!ExpandVariable(line, pos, lookup, word)) {
            result.error = "unterminated ${ in quoted word";
            return result;
          }
        } else {
          word += c;
          ++pos;
        }
      }
      if (!closed) {
        result.error = "missing closing quote";
        return result;
      }
      if (pos < line.size() && !IsBlank(line[pos])) {
        result.error = "text right after a closing quote";
        return result;
      }
    } else {
      while (pos < line.size() && !IsBlank(line[pos])) {
        if (line[pos] == '$' && pos + 1 < line.size() && line[pos + 1] == '{') {
          if (!ExpandVariable(line, pos, lookup, word)) {
            result.error = "unterminated ${";
            return result;
          }
        } else {
          word += line[pos++];
        }
      }
    }
    result.words.push_back(word);
  }
  return result;
}

}  // namespace uidriver
