// Owners for COM: one interface pointer, and the thread's COM initialisation.
// Both are released in the destructor and cannot be copied.
#pragma once

#include <objbase.h>

#include <utility>

template <typename Interface>
class UniqueComPtr {
  public:
    UniqueComPtr() = default;
    ~UniqueComPtr() { Reset(); }

    UniqueComPtr(const UniqueComPtr&) = delete;
    UniqueComPtr& operator=(const UniqueComPtr&) = delete;
    UniqueComPtr(UniqueComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    UniqueComPtr& operator=(UniqueComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    explicit operator bool() const { return pointer_ != nullptr; }
    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }

    // Releases what is held and gives the address to fill, as the
    // CoCreateInstance and QueryInterface out-parameter (void**).
    void** Put() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }

    void Reset() {
        if (Interface* old = std::exchange(pointer_, nullptr))
            old->Release();
    }

  private:
    Interface* pointer_ = nullptr;
};

// CoInitialize for the lifetime of the object; CoUninitialize only when the
// initialisation succeeded (S_FALSE, "already initialised", counts and must be
// balanced too).
class ComInitialization {
  public:
    ComInitialization() : result_(CoInitialize(nullptr)) {}
    ~ComInitialization() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

    bool Succeeded() const { return SUCCEEDED(result_); }
    HRESULT Result() const { return result_; }

  private:
    HRESULT result_;
};
