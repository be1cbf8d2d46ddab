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

struct HandleTraits {
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { CloseHandle(h); }
};

// Files and tool-help snapshots signal failure with INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { CloseHandle(h); }
};

struct FindHandleTraits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { FindClose(h); }
};

struct RegistryKeyTraits {
  using type = HKEY;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { RegCloseKey(h); }
};

struct ServiceHandleTraits {
  using type = SC_HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { CloseServiceHandle(h); }
};

struct InternetHandleTraits {
  using type = HINTERNET;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { WinHttpCloseHandle(h); }
};

// Memory from LocalAlloc: FormatMessageW buffers, CommandLineToArgvW, security descriptors and
// SID strings.
struct LocalMemoryTraits {
  using type = HLOCAL;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { LocalFree(h); }
};

struct CoTaskMemoryTraits {
  using type = void*;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { CoTaskMemFree(p); }
};

struct ModuleTraits {
  using type = HMODULE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { FreeLibrary(h); }
};

template <class Gdi>
struct GdiObjectTraits {
  using type = Gdi;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { DeleteObject(h); }
};

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

  [[nodiscard]] void** put_void() noexcept {
    reset();
    return reinterpret_cast<void**>(&ptr_);
  }

 private:
  Interface* ptr_ = nullptr;
};

}  // namespace borelu::win
