// The kit's shared Win32 and COM basics, as the control links them: an
// object's interface table and its one count, and the handle owners.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <windows.h>

#include "basics/com_object.h"
#include "basics/handles.h"

#include <utility>

namespace {

void* const kSentinel = reinterpret_cast<void*>(static_cast<INT_PTR>(0x5A5A));

// Two interfaces that both derive from IUnknown, so the identity must come
// from the table's first row whichever interface is asked.
class TwoFaced final : public basics::ComObject<TwoFaced, IPersist, IOleWindow> {
 public:
  static constexpr basics::InterfaceRow<TwoFaced> kInterfaces[] = {
      basics::Row<TwoFaced, IPersist>(IID_IUnknown),
      basics::Row<TwoFaced, IPersist>(IID_IPersist),
      basics::Row<TwoFaced, IOleWindow>(IID_IOleWindow),
  };
  explicit TwoFaced(bool* freed) : freed_(freed) {}

  STDMETHODIMP GetClassID(CLSID* clsid) override {
    *clsid = CLSID_NULL;
    return S_OK;
  }
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = nullptr;
    return E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  friend class basics::ComObject<TwoFaced, IPersist, IOleWindow>;
  ~TwoFaced() { *freed_ = true; }
  bool* freed_;
};

TEST(ComObjectTest, OneIdentityOneCountAndRefusalsClearTheOutParameter) {
  bool freed = false;
  auto* object = new TwoFaced(&freed);
  IOleWindow* window = nullptr;
  ASSERT_EQ(S_OK, object->QueryInterface(IID_PPV_ARGS(&window)));
  struct Row {
    IUnknown* asked_through;
    const char* name;
  };
  const Row rows[] = {{static_cast<IPersist*>(object), "IPersist"}, {window, "IOleWindow"}};
  for (const Row& row : rows) {
    void* identity = kSentinel;
    EXPECT_EQ(S_OK, row.asked_through->QueryInterface(IID_IUnknown, &identity)) << row.name;
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IPersist*>(object)), identity) << row.name;
    static_cast<IUnknown*>(identity)->Release();
    void* refused = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, row.asked_through->QueryInterface(IID_IDispatch, &refused)) << row.name;
    EXPECT_EQ(nullptr, refused) << row.name;
  }
  EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IUnknown, nullptr));
  window->Release();
  EXPECT_FALSE(freed) << "the creator's reference is still held";
  EXPECT_EQ(0u, object->Release());
  EXPECT_TRUE(freed);
}

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(HandleOwnerTest, MovesResetsAndReleasesFreeEachHandleOnce) {
  HANDLE first = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE second = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(first && second);
  {
    basics::UniqueKernelHandle a(first);
    basics::UniqueKernelHandle b(second);
    a = std::move(b);  // frees first, takes second
    EXPECT_FALSE(IsOpen(first));
    EXPECT_EQ(second, a.get());
    EXPECT_FALSE(b);
    HANDLE kept = a.release();  // hands second out unfreed
    EXPECT_TRUE(IsOpen(kept));
    a.reset(kept);
  }
  EXPECT_FALSE(IsOpen(second)) << "freed when its owner went";
}

}  // namespace
