// Splitting one line of a driver script into words.
#pragma once

#include <string>
#include <vector>

namespace uidriver {

// Words are separated by blanks; a word in double quotes may hold blanks, and
// inside quotes \" and \\ stand for a quote and a backslash. ${NAME} is
// replaced by the environment variable NAME (empty when unset) through
// `lookup`. A line whose first non-blank character is # is a comment.
struct ParsedLine {
  std::vector<std::string> words;
  std::string error;  // non-empty when the line could not be read
};

using VariableLookup = std::string (*)(const std::string& name);

ParsedLine SplitScriptLine(const std::string& line, VariableLookup lookup);

}  // namespace uidriver
