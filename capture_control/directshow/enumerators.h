// IEnumPins and IEnumMediaTypes over a fixed list, for filters of our own
// (the capture sink here, the test camera in the tests).
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <vector>

#include "directshow/media_type.h"

namespace morvane {

// Each returns a new enumerator with one reference, or E_OUTOFMEMORY.
HRESULT MakePinEnumerator(std::vector<Microsoft::WRL::ComPtr<IPin>> pins, IEnumPins** out);
HRESULT MakeMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out);

}  // namespace morvane
