// OLE for the life of one scope on the window thread: initialised on entry,
// uninitialised on leaving only if initialising succeeded.
#pragma once

#include <ole2.h>

namespace forms {

class OleSession {
 public:
  OleSession() : hr_(OleInitialize(nullptr)) {}
  ~OleSession() {
    if (SUCCEEDED(hr_)) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace forms
