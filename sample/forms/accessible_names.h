// Names given to widgets for assistive tools through the system's annotation
// service. A screen reader otherwise names a field from the label just before
// it among its siblings; the form's labels lie below its fields in that order,
// so each field is named explicitly, which holds whatever the window order.
// Where the system has no such service the widgets simply go unnamed: that is
// no error for the user.
#pragma once

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace forms {

using AnnotationService = Microsoft::WRL::ComPtr<IAccPropServices>;
using AnnotationServiceFactory = std::function<AnnotationService()>;

// The system's service, or null where it cannot be created.
AnnotationService SystemAnnotationService();

// The names set through one service, cleared again when this goes: the
// service keeps them apart from the windows, which must not outlive them.
class AccessibleNames {
 public:
  explicit AccessibleNames(AnnotationService service) : service_(std::move(service)) {}
  ~AccessibleNames();
  AccessibleNames(const AccessibleNames&) = delete;
  AccessibleNames& operator=(const AccessibleNames&) = delete;

  bool available() const { return service_ != nullptr; }
  // Names the window's own accessible object; the service's answer (S_FALSE
  // without a service).
  HRESULT Name(HWND window, const std::wstring& name);
  // Clears every name set here; done before the windows are destroyed.
  void ClearAll() noexcept;

 private:
  AnnotationService service_;
  std::vector<HWND> named_;
};

}  // namespace forms
