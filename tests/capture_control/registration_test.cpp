// The control's registry rows, as they are written with its own paths and
// identifiers in place.
#include <gtest/gtest.h>
#include <windows.h>

#include "registration.h"

namespace morvane {
namespace {

TEST(RegistrationTest, PlaceholdersAreExpandedEverywhere) {
  struct Row {
    const wchar_t* text;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"CLSID\\{clsid}\\InprocServer32", L"CLSID\\{C}\\InprocServer32"},
      {L"{path}, 1", L"C:\\dir {clsid}\\m.ocx, 1"},
      {L"{libid}{libid}", L"{L}{L}"},
      {L"plain", L"plain"},
      {nullptr, L""},
  };
  for (const Row& row : rows) {
    // A path that itself holds a placeholder's text is not expanded again.
    EXPECT_EQ(row.expected, ExpandRegistryText(row.text, L"{C}", L"{L}", L"C:\\dir {clsid}\\m.ocx"));
  }
}

}  // namespace
}  // namespace morvane
