// The WiX include that kit_msi_rows writes: texts reach the installer's
// tables unchanged whatever they hold, and a component without a file gets
// its key path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rows_tool/wix_rows.h"

namespace {

struct Case {
  kit_msi::WixRow row;
  const char* element;
};

const Case kCases[] = {
    {{L"CLSID\\{C}", L"", L"Morvane Control"},
     R"(<RegistryValue Root="HKCR" Key="CLSID\{C}" Type="string" Value="Morvane Control" />)"},
    {{L"CLSID\\{C}\\InprocServer32", L"ThreadingModel", L"Apartment"},
     R"(<RegistryValue Root="HKCR" Key="CLSID\{C}\InprocServer32" Name="ThreadingModel" Type="string" Value="Apartment" />)"},
    {{L"K", L"", L""}, R"(<RegistryValue Root="HKCR" Key="K" Type="string" Value="" />)"},
    // XML's special characters, escaped; text outside ASCII in UTF-8.
    {{L"A&B<C>", L"\"q\"", L"x & <y> \"z\""},
     R"(<RegistryValue Root="HKCR" Key="A&amp;B&lt;C&gt;" Name="&quot;q&quot;" Type="string" Value="x &amp; &lt;y&gt; &quot;z&quot;" />)"},
    {{L"K", L"", L"\u30ad\u30e3\u30d7\u30c1\u30e3"},
     "<RegistryValue Root=\"HKCR\" Key=\"K\" Type=\"string\" Value=\"\xe3\x82\xad\xe3\x83\xa3\xe3\x83\x97\xe3\x83\x81\xe3\x83\xa3\" />"},
};

TEST(WixIncludeTest, EachRowIsOneRegistryValue) {
  for (const Case& c : kCases) {
    const std::string text = kit_msi::WixInclude({c.row}, false);
    EXPECT_NE(text.find(std::string("  ") + c.element + "\n"), std::string::npos)
        << "expected " << c.element << "\nin\n" << text;
  }
}

TEST(WixIncludeTest, KeyPathOnTheFirstRowOnly) {
  const std::vector<kit_msi::WixRow> rows = {{L"A", L"", L"1"}, {L"B", L"", L"2"}};
  const std::string with = kit_msi::WixInclude(rows, true);
  EXPECT_NE(with.find(R"(Key="A" KeyPath="yes")"), std::string::npos) << with;
  EXPECT_EQ(with.find(R"(Key="B" KeyPath)"), std::string::npos) << with;
  EXPECT_EQ(kit_msi::WixInclude(rows, false).find("KeyPath"), std::string::npos);
}

TEST(WixIncludeTest, NoRowsIsAnEmptyInclude) {
  const std::string text = kit_msi::WixInclude({}, false);
  EXPECT_NE(text.find("<Include>\n</Include>\n"), std::string::npos) << text;
}

}  // namespace
