// SPDX-License-Identifier: MIT
// PNG files through the Windows Imaging Component, the system's own codecs: the image is encoded into
// memory, then written into the file the program made, as the libpng build writes it.
#include <objbase.h>
#include <wincodec.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "png_encoder.h"

namespace {

// A COM interface released when it goes out of scope.
template <typename interface_type>
struct com_ref {
  interface_type* p = nullptr;
  com_ref() = default;
  com_ref(const com_ref&) = delete;
  com_ref& operator=(const com_ref&) = delete;
  ~com_ref() {
    if (p != nullptr) p->Release();
  }
  interface_type** put() { return &p; }
  interface_type* operator->() const { return p; }
};

std::string failed(const char* step, HRESULT result) {
  char text[96];
  std::snprintf(text, sizeof text, "the Windows Imaging Component failed to %s (0x%08lx)", step,
                static_cast<unsigned long>(result));
  return text;
}

// The rows top first, blue first, as the codec takes 24-bit pixels.
std::vector<BYTE> top_down_bgr(int width, int height, const std::vector<unsigned char>& rgb) {
  std::vector<BYTE> bgr(rgb.size());
  const size_t stride = 3 * size_t(width);
  for (int row = 0; row < height; ++row) {
    const unsigned char* from = &rgb[stride * size_t(height - 1 - row)];
    BYTE* to = &bgr[stride * size_t(row)];
    for (size_t x = 0; x < stride; x += 3) {
      to[x] = from[x + 2];
      to[x + 1] = from[x + 1];
      to[x + 2] = from[x];
    }
  }
  return bgr;
}

std::string encode(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb) {
  com_ref<IWICImagingFactory> factory;
  HRESULT r = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               reinterpret_cast<void**>(factory.put()));
  if (FAILED(r)) return failed("start", r);
  com_ref<IStream> memory;
  if (FAILED(r = CreateStreamOnHGlobal(nullptr, TRUE, memory.put()))) return failed("make a stream", r);
  com_ref<IWICBitmapEncoder> encoder;
  if (FAILED(r = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())))
    return failed("find its PNG encoder", r);
  if (FAILED(r = encoder->Initialize(memory.p, WICBitmapEncoderNoCache))) return failed("begin", r);
  com_ref<IWICBitmapFrameEncode> frame;
  com_ref<IPropertyBag2> options;
  if (FAILED(r = encoder->CreateNewFrame(frame.put(), options.put())) ||
      FAILED(r = frame->Initialize(options.p)))
    return failed("begin a frame", r);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(r = frame->SetSize(UINT(width), UINT(height))) || FAILED(r = frame->SetPixelFormat(&format)))
    return failed("size the frame", r);
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return "the PNG encoder takes no 24-bit pixels";
  std::vector<BYTE> bgr = top_down_bgr(width, height, rgb);
  if (FAILED(r = frame->WritePixels(UINT(height), UINT(3 * width), UINT(bgr.size()), bgr.data())))
    return failed("take the pixels", r);
  if (FAILED(r = frame->Commit()) || FAILED(r = encoder->Commit())) return failed("finish", r);
  STATSTG stat = {};
  HGLOBAL bytes = nullptr;
  if (FAILED(r = memory->Stat(&stat, STATFLAG_NONAME)) || FAILED(r = GetHGlobalFromStream(memory.p, &bytes)))
    return failed("hand over the image", r);
  const void* image = GlobalLock(bytes);
  const size_t size = size_t(stat.cbSize.QuadPart);
  errno = 0;
  const bool written = image != nullptr && std::fwrite(image, 1, size, file) == size;
  GlobalUnlock(bytes);
  if (!written) return errno != 0 ? std::strerror(errno) : "the image could not be read back from memory";
  return "";
}

}  // namespace

bool can_write_pictures() { return true; }

// COM is started for the call and ended after it, unless the thread had it started already.
std::string write_png_rows(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb) {
  const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string why = encode(file, width, height, rgb);
  if (SUCCEEDED(started)) CoUninitialize();
  return why;
}
