// The names assistive tools read for the text fields: each set on the field
// itself through the annotation service, from the labels beside or above it,
// and cleared while the field still exists.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "basics/com_object.h"
#include "forms/accessible_names.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

// A strict annotation service: it expects names to be set and cleared and
// fails the test on any other call.
class FakeAnnotations final : public basics::ComObject<FakeAnnotations, IAccPropServices> {
 public:
  static constexpr basics::InterfaceRow<FakeAnnotations> kInterfaces[] = {
      basics::Row<FakeAnnotations, IAccPropServices>(IID_IUnknown),
      basics::Row<FakeAnnotations, IAccPropServices>(IID_IAccPropServices),
  };
  struct Set {
    HWND window;
    DWORD object;
    DWORD child;
    bool name_property;
    std::wstring text;
  };
  struct Cleared {
    HWND window;
    bool still_a_window;
    bool name_property;
  };

  HRESULT answer = S_OK;  // what SetHwndPropStr answers
  std::vector<Set> sets;
  std::vector<Cleared> cleared;

  STDMETHODIMP SetHwndPropStr(HWND window, DWORD object, DWORD child, MSAAPROPID property, LPCWSTR text) override {
    sets.push_back({window, object, child, IsEqualGUID(property, PROPID_ACC_NAME) != FALSE, text ? text : L"(null)"});
    return answer;
  }
  STDMETHODIMP ClearHwndProps(HWND window, DWORD, DWORD, const MSAAPROPID* properties, int count) override {
    cleared.push_back({window, IsWindow(window) != FALSE,
                       count == 1 && properties != nullptr && IsEqualGUID(properties[0], PROPID_ACC_NAME)});
    return S_OK;
  }

  STDMETHODIMP SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override { return Unexpected("SetPropValue"); }
  STDMETHODIMP SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
    return Unexpected("SetPropServer");
  }
  STDMETHODIMP ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override { return Unexpected("ClearProps"); }
  STDMETHODIMP SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override { return Unexpected("SetHwndProp"); }
  STDMETHODIMP SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
    return Unexpected("SetHwndPropServer");
  }
  STDMETHODIMP ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
    return Unexpected("ComposeHwndIdentityString");
  }
  STDMETHODIMP DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
    return Unexpected("DecomposeHwndIdentityString");
  }
  STDMETHODIMP SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return Unexpected("SetHmenuProp"); }
  STDMETHODIMP SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return Unexpected("SetHmenuPropStr"); }
  STDMETHODIMP SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
    return Unexpected("SetHmenuPropServer");
  }
  STDMETHODIMP ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override { return Unexpected("ClearHmenuProps"); }
  STDMETHODIMP ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
    return Unexpected("ComposeHmenuIdentityString");
  }
  STDMETHODIMP DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
    return Unexpected("DecomposeHmenuIdentityString");
  }

 private:
  friend class basics::ComObject<FakeAnnotations, IAccPropServices>;
  ~FakeAnnotations() = default;
  static HRESULT Unexpected(const char* method) {
    ADD_FAILURE() << "unexpected call " << method;
    return E_NOTIMPL;
  }
};

class AccessibleNameTest : public SampleWindowTest {
 protected:
  void SetUp() override {
    SampleWindowTest::SetUp();
    fake_names_ = basics::Adopt(new FakeAnnotations);
    Microsoft::WRL::ComPtr<IAccPropServices> service = fake_names_;
    annotation_service_ = [service] { return service; };
  }
  void TearDown() override {
    SampleWindowTest::TearDown();
    fake_names_.Reset();
  }
  Microsoft::WRL::ComPtr<FakeAnnotations> fake_names_;
};

TEST_F(AccessibleNameTest, EveryLabelledFieldIsNamedByItsLabels) {
  ASSERT_TRUE(StartWindow(false));
  struct Expected {
    int text_n;
    const wchar_t* name;
  };
  const Expected expected[] = {
      {2, L"一時ｷｬﾌﾟﾁｬﾌｧｲﾙ名"},   {6, L"ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ名"},      {3, L"ﾌﾚｰﾑ/秒"},
      {5, L"時間制限(秒)"},          {9, L"ﾌﾟﾚﾋﾞｭｰﾚｰﾄ F/S"},      {7, L"ｷｬﾌﾟﾁｬｻｲｽﾞ"},
      {8, L"ｷｬﾌﾟﾁｬｻｲｽﾞ X"},        {10, L"ﾌﾟﾚﾋﾞｭｰｻｲｽﾞ"},        {11, L"ﾌﾟﾚﾋﾞｭｰｻｲｽﾞ X"},
      {1, L"保存ﾌｧｲﾙ名"},
  };
  // The status line has no label and gets no name.
  ASSERT_EQ(fake_names_->sets.size(), std::size(expected));
  for (const Expected& field : expected) {
    SCOPED_TRACE("Text" + std::to_string(field.text_n));
    HWND window = Item(sample::TextId(field.text_n));
    const FakeAnnotations::Set* set = nullptr;
    for (const auto& s : fake_names_->sets) {
      if (s.window == window) set = &s;
    }
    ASSERT_NE(set, nullptr) << "not named";
    EXPECT_EQ(set->text, field.name);
    EXPECT_TRUE(set->name_property);
    EXPECT_EQ(set->object, static_cast<DWORD>(OBJID_CLIENT));
    EXPECT_EQ(set->child, static_cast<DWORD>(CHILDID_SELF));
  }
}

TEST_F(AccessibleNameTest, NamesAreClearedWhileTheFieldsStillExist) {
  ASSERT_TRUE(StartWindow());
  window().Unload();
  ASSERT_EQ(fake_names_->cleared.size(), fake_names_->sets.size());
  for (size_t i = 0; i < fake_names_->cleared.size(); ++i) {
    EXPECT_EQ(fake_names_->cleared[i].window, fake_names_->sets[i].window) << i;
    EXPECT_TRUE(fake_names_->cleared[i].still_a_window) << i;
    EXPECT_TRUE(fake_names_->cleared[i].name_property) << i;
  }
}

// The service missing, or refusing every name as Wine's does: the window
// opens and starts up as ever, and nothing is reported to the user.
TEST_F(AccessibleNameTest, AWindowWithoutTheServiceOpensAllTheSame) {
  struct Case {
    const char* name;
    bool service;
    HRESULT answer;
  };
  for (const Case& c : {Case{"no service", false, S_OK}, Case{"names refused", true, E_NOTIMPL}}) {
    SCOPED_TRACE(c.name);
    fake_names_->answer = c.answer;
    fake_names_->sets.clear();
    fake_names_->cleared.clear();
    if (!c.service) annotation_service_ = [] { return forms::AnnotationService(); };
    ASSERT_TRUE(StartWindow());
    EXPECT_TRUE(errors_.empty());
    EXPECT_TRUE(messages_.empty());
    window().Unload();
    EXPECT_TRUE(fake_names_->cleared.empty()) << "a name never set is not cleared";
    // The unload's end of the message loop is not for the next case.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
}

// What this system's own service does with a name: where it keeps it, an
// assistive tool reads it back from the field's accessible object.
TEST_F(SampleWindowTest, TheSystemServiceNamesAFieldWhereItCan) {
  ASSERT_TRUE(StartWindow(false));
  forms::AnnotationService service = forms::SystemAnnotationService();
  if (!service) GTEST_SKIP() << "this system has no annotation service";
  forms::AccessibleNames names(service);
  HWND field = Item(sample::TextId(3));
  const HRESULT hr = names.Name(field, L"ﾌﾚｰﾑ/秒");
  if (FAILED(hr)) GTEST_SKIP() << "this system's service keeps no names: 0x" << std::hex << hr;
  // Looked up as a tool would: MinGW's import library for it and its
  // uuid library both define the interface's id.
  HMODULE library = GetModuleHandleW(L"oleacc.dll");
  if (library == nullptr) library = LoadLibraryW(L"oleacc.dll");
  ASSERT_NE(library, nullptr);
  const auto object_from_window = reinterpret_cast<decltype(&::AccessibleObjectFromWindow)>(
      reinterpret_cast<void*>(GetProcAddress(library, "AccessibleObjectFromWindow")));
  ASSERT_NE(object_from_window, nullptr);
  static constexpr IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  Microsoft::WRL::ComPtr<IAccessible> accessible;
  ASSERT_HRESULT_SUCCEEDED(object_from_window(field, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                              reinterpret_cast<void**>(accessible.GetAddressOf())));
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  ASSERT_HRESULT_SUCCEEDED(accessible->get_accName(self, &name));
  const std::wstring read = name ? name : L"";
  SysFreeString(name);
  EXPECT_EQ(read, L"ﾌﾚｰﾑ/秒");
}

}  // namespace
}  // namespace sample_test
