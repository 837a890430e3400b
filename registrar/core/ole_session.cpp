#include "ole_session.h"

#include <ole2.h>

namespace halvern {

OleSession::OleSession(const std::function<void(HRESULT)>& on_failure)
    : status_(OleInitialize(nullptr)), initialised_(SUCCEEDED(status_)) {
  if (!initialised_ && on_failure) on_failure(status_);
}

OleSession::~OleSession() {
  // Only a successful initialisation is balanced: uninitialising after a
  // failed one would tear down an apartment this object never set up.
  if (initialised_) OleUninitialize();
}

}  // namespace halvern
