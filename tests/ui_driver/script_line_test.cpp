#include "script_line.h"

#include <gtest/gtest.h>

namespace {

std::string FakeLookup(const std::string& name) {
  if (name == "DIR") return "/tmp/x y";
  if (name == "N") return "7";
  return "";
}

struct SplitCase {
  const char* line;
  std::vector<std::string> words;
  bool fails;
};

const SplitCase kSplitCases[] = {
    {"", {}, false},
    {"   \t ", {}, false},
    {"# a comment \"unbalanced", {}, false},
    {"  # indented comment", {}, false},
    {"click 4", {"click", "4"}, false},
    {"  click\t4  \r", {"click", "4"}, false},
    {"set-text 1000 \"C:\\dir with blank\\a.ocx\"", {"set-text", "1000", "C:\\dir with blank\\a.ocx"}, false},
    {"expect-text 1000 \"\"", {"expect-text", "1000", ""}, false},
    {"print \"say \\\"hi\\\" \\\\ ok\"", {"print", "say \"hi\" \\ ok"}, false},
    // A backslash before anything else stays, so Windows paths need no doubling.
    {"print \"a\\b\"", {"print", "a\\b"}, false},
    {"start ${DIR}/Halvern.exe", {"start", "/tmp/x y/Halvern.exe"}, false},
    {"set-text 1000 \"${DIR}\\${N}.ocx\"", {"set-text", "1000", "/tmp/x y\\7.ocx"}, false},
    {"print ${UNSET}end", {"print", "end"}, false},
    {"print $HOME {x}", {"print", "$HOME", "{x}"}, false},
    {"expect-msgbox \"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x0000007e\" Halvern stop",
     {"expect-msgbox", "ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x0000007e", "Halvern", "stop"}, false},
    {"print \"open", {}, true},
    {"print \"a\"b", {}, true},
    {"print ${OPEN", {}, true},
    {"print \"${OPEN\"", {}, true},
};

TEST(SplitScriptLine, SplitsQuotesAndExpandsVariables) {
  for (const SplitCase& c : kSplitCases) {
    const uidriver::ParsedLine parsed = uidriver::SplitScriptLine(c.line, FakeLookup);
    EXPECT_EQ(!parsed.error.empty(), c.fails) << "line: " << c.line << " error: " << parsed.error;
    if (!c.fails) {
      EXPECT_EQ(parsed.words, c.words) << "line: " << c.line;
    }
  }
}

TEST(SplitScriptLine, NoLookupExpandsToNothing) {
  const uidriver::ParsedLine parsed = uidriver::SplitScriptLine("print a${X}b", nullptr);
  ASSERT_TRUE(parsed.error.empty());
  EXPECT_EQ(parsed.words, (std::vector<std::string>{"print", "ab"}));
}

}  // namespace
