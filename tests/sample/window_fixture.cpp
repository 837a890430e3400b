#include "window_fixture.h"

#include <ole2.h>

#include <stdexcept>

#include "clip_form.h"
#include "stream_form.h"

namespace sample_test {

void SampleWindowTest::SetUp() {
  ole_ = SUCCEEDED(OleInitialize(nullptr));
  fake_.Attach(new FakeControl(log_));
}

void SampleWindowTest::TearDown() {
  window_.reset();
  sample::StreamForm::Instance().Destroy();
  sample::ClipForm::Instance().Destroy();
  // An unload posts the end of the message loop; it must not reach the
  // next test. Other waiting messages are handled (a repaint stays waiting
  // until it is).
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
  fake_.Reset();
  if (ole_) OleUninitialize();
}

bool SampleWindowTest::StartWindow(bool load) {
  sample::MainWindowOptions options;
  Microsoft::WRL::ComPtr<IUnknown> control = fake_;
  options.control_factory = [control] { return control; };
  options.wrap_extender = [this](IDispatch* real) { return RecordingExtender(real, log_); };
  options.message_box = [this](HWND, const std::wstring& text, UINT style) {
    messages_.push_back({text, style});
    if (answers_.empty()) return IDOK;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  };
  options.report_error = [this](HWND, const convert::RuntimeError& error) { errors_.push_back(error); };
  options.end_process = [this](UINT code) {
    ended_.push_back(code);
    if (end_process_fails_) throw std::runtime_error("the end of the process failed");
  };
  window_ = std::make_unique<sample::MainWindow>(options);
  try {
    window_->Create();
  } catch (const convert::RuntimeError& error) {
    ADD_FAILURE() << "Create: " << error.number() << " " << testing::PrintToString(error.description())
                  << testing::PrintToString(error.source());
    throw;
  }
  // Shown only when a test moves the focus: without a window manager, Wine
  // waits up to two seconds for a shown top-level window to go away.
  return load ? window_->Load() : true;
}

HWND SampleWindowTest::Item(int id) const {
  forms::Widget* widget = window_->FindWidget(id);
  if (widget != nullptr) return widget->hwnd();
  if (id == sample::kMorvane1Id && window_->control_host()) return window_->control_host()->window();
  return nullptr;
}

void SampleWindowTest::Click(int id) {
  HWND item = Item(id);
  ASSERT_NE(item, nullptr) << id;
  const WORD code = id == sample::kCombo1Id ? CBN_SELCHANGE : BN_CLICKED;
  SendMessageW(GetParent(item), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item));
}

void SampleWindowTest::Type(int text_n, const std::wstring& text) {
  // The edit control raises its own change notification, as for typing.
  SetWindowTextW(Item(sample::TextId(text_n)), text.c_str());
}

void SampleWindowTest::LeaveField(int text_n) {
  if (!IsWindowVisible(window_->hwnd())) window_->Show(SW_SHOWNORMAL);
  SetFocus(Item(sample::TextId(text_n)));
  SetFocus(Item(sample::CommandId(6)));
}

void SampleWindowTest::SelectEntry(int index) {
  HWND combo = Item(sample::kCombo1Id);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Click(sample::kCombo1Id);
}

std::wstring SampleWindowTest::FieldText(int text_n) { return window_->Text(text_n).Text(); }

std::vector<std::wstring> WithHandles(std::vector<std::wstring> lines, HWND text4) {
  const std::wstring value = std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(text4)));
  for (auto& line : lines) {
    auto at = line.find(L"$Text4");
    if (at != std::wstring::npos) line.replace(at, 6, value);
  }
  return lines;
}

}  // namespace sample_test
