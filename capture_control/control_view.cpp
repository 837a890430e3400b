// IViewObject2: drawing the current frame into a container's DC (printing,
// design view, or a container that is not in-place active).
#include "control.h"

namespace morvane {

STDMETHODIMP Control::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw_dc, LPCRECTL bounds, LPCRECTL,
                           BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!draw_dc || !bounds) return E_INVALIDARG;
  RECT target{bounds->left, bounds->top, bounds->right, bounds->bottom};
  // Rendering the frame on demand runs the device, which may fail.
  return ComGuard([&] {
    FrameFormat format;
    const std::uint8_t* bits = nullptr;
    // A repaint shows what there is; it does not start a camera.
    if (!CurrentFrame(format, bits, false)) return E_FAIL;
    DrawFrame(draw_dc, target, format, bits, false);
    return S_OK;
  });
}

STDMETHODIMP Control::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** palette) {
  if (palette) *palette = nullptr;
  return S_FALSE;  // no particular palette: the frames are true colour
}

STDMETHODIMP Control::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze) *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP Control::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP Control::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_aspects_ = aspects;
  view_flags_ = flags;
  view_sink_ = sink;
  return S_OK;
}

STDMETHODIMP Control::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_aspects_;
  if (flags) *flags = view_flags_;
  if (sink) {
    *sink = nullptr;
    view_sink_.CopyTo(sink);
  }
  return S_OK;
}

STDMETHODIMP Control::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

}  // namespace morvane
