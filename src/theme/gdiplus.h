#pragma once

// GDI+ through its flat interface: started once per process on first use and never shut down,
// and an owner for each kind of object a paint creates.

#include <windows.h>
#include <objidl.h>  // PROPID, which the lean <windows.h> leaves out

#include <gdiplus.h>

#include "win/handles.h"

namespace borelu::theme::gdiplus {

namespace flat = Gdiplus::DllExports;

// Starts GDI+ the first time it is called (version 1, background thread and external codecs
// allowed); every later call returns the first call's outcome. Safe from any thread.
[[nodiscard]] bool started();

template <class Object, Gdiplus::GpStatus(WINGDIPAPI* Delete)(Object*)>
struct ObjectTraits {
  using type = Object*;
  static type invalid() noexcept { return nullptr; }
  static void close(type object) noexcept { Delete(object); }
};

using Graphics = win::Owned<ObjectTraits<Gdiplus::GpGraphics, flat::GdipDeleteGraphics>>;
using Path = win::Owned<ObjectTraits<Gdiplus::GpPath, flat::GdipDeletePath>>;
using Brush = win::Owned<ObjectTraits<Gdiplus::GpBrush, flat::GdipDeleteBrush>>;
using Pen = win::Owned<ObjectTraits<Gdiplus::GpPen, flat::GdipDeletePen>>;

}  // namespace borelu::theme::gdiplus
