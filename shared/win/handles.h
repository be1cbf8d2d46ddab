#pragma once

// One move-only owner per kind of Windows resource, so that every handle is released on every
// path. Closing preserves the thread's last error, so an owner going out of scope between a
// failing call and GetLastError cannot change the reported error.

#include <windows.h>
#include <objbase.h>
#include <winhttp.h>

#include <utility>

namespace borelu::win {

template <class Traits>
class Owned {
 public:
  using value_type = typename Traits::type;

  Owned() noexcept = default;
  explicit Owned(value_type value) noexcept : value_(value) {}
  Owned(Owned&& other) noexcept : value_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { reset(); }

  [[nodiscard]] value_type get() const noexcept { return value_; }
  [[nodiscard]] bool valid() const noexcept { return value_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  [[nodiscard]] value_type release() noexcept { return std::exchange(value_, Traits::invalid()); }

  void reset(value_type value = Traits::invalid()) noexcept {
    const value_type old = std::exchange(value_, value);
    if (old != Traits::invalid()) {
      const DWORD saved = GetLastError();
      Traits::close(old);
      SetLastError(saved);
    }
  }

  // For functions that return a resource through an out parameter; releases the current one.
  [[nodiscard]] value_type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  value_type value_ = Traits::invalid();
};

// What an owner holds when it holds nothing: null for most kinds, INVALID_HANDLE_VALUE for the
// kinds whose functions signal failure with it (files, tool-help snapshots, find handles).
enum class Empty { null, minus_one };

// The traits of one kind of resource, in one line: its type, the function that releases it and
// its empty value.
template <class T, auto Close, Empty E = Empty::null>
struct ReleasedBy {
  using type = T;
  static type invalid() noexcept {
    if constexpr (E == Empty::minus_one) {
      return INVALID_HANDLE_VALUE;
    } else {
      return nullptr;
    }
  }
  static void close(type value) noexcept { Close(value); }
};

using HandleTraits = ReleasedBy<HANDLE, CloseHandle>;
using FileHandleTraits = ReleasedBy<HANDLE, CloseHandle, Empty::minus_one>;
using FindHandleTraits = ReleasedBy<HANDLE, FindClose, Empty::minus_one>;
using RegistryKeyTraits = ReleasedBy<HKEY, RegCloseKey>;
using ServiceHandleTraits = ReleasedBy<SC_HANDLE, CloseServiceHandle>;
using InternetHandleTraits = ReleasedBy<HINTERNET, WinHttpCloseHandle>;
// Memory from LocalAlloc: FormatMessageW buffers, CommandLineToArgvW, security descriptors and
// SID strings.
using LocalMemoryTraits = ReleasedBy<HLOCAL, LocalFree>;
using CoTaskMemoryTraits = ReleasedBy<void*, CoTaskMemFree>;
using ModuleTraits = ReleasedBy<HMODULE, FreeLibrary>;
template <class Gdi>
using GdiObjectTraits = ReleasedBy<Gdi, DeleteObject>;

using Handle = Owned<HandleTraits>;
using FileHandle = Owned<FileHandleTraits>;
using FindHandle = Owned<FindHandleTraits>;
using RegistryKey = Owned<RegistryKeyTraits>;
using ServiceHandle = Owned<ServiceHandleTraits>;
using InternetHandle = Owned<InternetHandleTraits>;
using LocalMemory = Owned<LocalMemoryTraits>;
using CoTaskMemory = Owned<CoTaskMemoryTraits>;
using Module = Owned<ModuleTraits>;
using Font = Owned<GdiObjectTraits<HFONT>>;
using Brush = Owned<GdiObjectTraits<HBRUSH>>;
using Bitmap = Owned<GdiObjectTraits<HBITMAP>>;

// A COM interface pointer that releases its reference.
template <class Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  // Takes over a reference the caller holds.
  explicit ComPtr(Interface* adopted) noexcept : ptr_(adopted) {}
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  [[nodiscard]] Interface* get() const noexcept { return ptr_; }
  Interface* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  void reset() noexcept {
    if (Interface* old = std::exchange(ptr_, nullptr)) {
      old->Release();
    }
  }

  // For functions that return an interface through a typed out parameter; releases the current
  // one first.
  [[nodiscard]] Interface** put() noexcept {
    reset();
    return &ptr_;
  }

  // Hands the reference over to the caller (an out parameter that returns it).
  [[nodiscard]] Interface* release() noexcept { return std::exchange(ptr_, nullptr); }

  // The same, for functions that take the out parameter as void** with an interface id.
  [[nodiscard]] void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

 private:
  Interface* ptr_ = nullptr;
};

}  // namespace borelu::win
