#include "theme/gdiplus.h"

#include <mutex>

#include "win/timeline.h"

namespace borelu::theme::gdiplus {

bool started() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    const win::timeline::Span span("GDI+ started");
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;  // kept by nobody: GDI+ stays up until the process ends
    ok = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  });
  return ok;
}

}  // namespace borelu::theme::gdiplus
