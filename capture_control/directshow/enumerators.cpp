#include "directshow/enumerators.h"

#include <utility>

#include "basics/com_object.h"
#include "guard.h"

namespace morvane {
namespace {

using Microsoft::WRL::ComPtr;

// One enumerator body for both interfaces; Item hands out one element the
// way its interface's Next must (an AddRef'd pin, a task-memory type).
template <typename Interface, typename Element, typename Out, const IID& kIid>
class ListEnumerator final : public basics::ComObject<ListEnumerator<Interface, Element, Out, kIid>, Interface> {
 public:
  static constexpr basics::InterfaceRow<ListEnumerator> kInterfaces[] = {
      basics::Row<ListEnumerator, IUnknown, Interface>(IID_IUnknown),
      basics::Row<ListEnumerator, Interface>(kIid),
  };

  ListEnumerator(std::vector<Element> items, size_t position) : items_(std::move(items)), position_(position) {}

  STDMETHODIMP Next(ULONG count, Out** out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    while (given < count && position_ < items_.size()) {
      Out* item = Item(items_[position_]);
      if (!item) break;
      out[given++] = item;
      ++position_;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = items_.size() - position_;
    if (count > left) {
      position_ = items_.size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComGuard([&] {
      *out = new ListEnumerator(items_, position_);
      return S_OK;
    });
  }

 private:
  friend class basics::ComObject<ListEnumerator, Interface>;
  ~ListEnumerator() = default;
  static IPin* Item(const ComPtr<IPin>& pin) {
    pin->AddRef();
    return pin.Get();
  }
  static AM_MEDIA_TYPE* Item(const MediaType& type) { return type.TaskCopy(); }

  std::vector<Element> items_;
  size_t position_;
};

using PinList = ListEnumerator<IEnumPins, ComPtr<IPin>, IPin, IID_IEnumPins>;
using MediaTypeList = ListEnumerator<IEnumMediaTypes, MediaType, AM_MEDIA_TYPE, IID_IEnumMediaTypes>;

template <typename List, typename Interface, typename Element>
HRESULT MakeList(std::vector<Element> items, Interface** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return ComGuard([&] {
    *out = new List(std::move(items), 0);
    return S_OK;
  });
}

}  // namespace

HRESULT MakePinEnumerator(std::vector<ComPtr<IPin>> pins, IEnumPins** out) {
  return MakeList<PinList>(std::move(pins), out);
}

HRESULT MakeMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out) {
  return MakeList<MediaTypeList>(std::move(types), out);
}

}  // namespace morvane
