// The control's registry rows, as they are written with its own paths and
// identifiers in place.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "registration.h"

namespace morvane {
namespace {

TEST(RegistrationTest, PlaceholdersAreExpandedEverywhere) {
  // text, then what it becomes
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"CLSID\\{clsid}\\InprocServer32", L"CLSID\\{C}\\InprocServer32"},
      {L"{path}, 1", L"C:\\dir {clsid}\\m.ocx, 1"},
      {L"{libid}{libid}", L"{L}{L}"},
      {L"plain", L"plain"},
      {nullptr, L""},
  };
  // A path that itself holds a placeholder's text is not expanded again.
  for (const auto& [text, expected] : rows) {
    EXPECT_EQ(expected, ExpandRegistryText(text, L"{C}", L"{L}", L"C:\\dir {clsid}\\m.ocx"));
  }
}

}  // namespace
}  // namespace morvane
