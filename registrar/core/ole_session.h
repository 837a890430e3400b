// OLE kept initialised on the dialog's thread while the main dialog object lives.
#pragma once

#include <windows.h>

#include <functional>

namespace halvern {

class OleSession {
 public:
  // `on_failure` runs when OleInitialize fails, with its status.
  explicit OleSession(const std::function<void(HRESULT)>& on_failure);
  ~OleSession();
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

  bool initialised() const { return initialised_; }
  HRESULT status() const { return status_; }

 private:
  HRESULT status_;
  bool initialised_;
};

}  // namespace halvern
