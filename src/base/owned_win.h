// Owners of what Windows hands out to be freed again: kernel handles, GDI objects, icons, COM
// pointers. Each frees its thing when it goes; none can be copied, and moving one hands the thing on.
#pragma once

#include <utility>

#include "base/windows_api_win.h"

namespace tf {

// `Traits` says what is owned: `Raw` (the handle's type), `Empty()` (the value that owns nothing),
// `Valid(raw)` and `Free(raw)` (true when freeing worked); NullEmptyTraits below gives the first three
// for most kinds.
template <class Traits>
class Owned {
public:
    using Raw = typename Traits::Raw;

    Owned() = default;
    explicit Owned(Raw raw) : raw_(raw) {}
    Owned(Owned&& other) noexcept : raw_(other.Detach()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    Raw Get() const { return raw_; }
    explicit operator bool() const { return Traits::Valid(raw_); }
    // Gives the thing up without freeing it (for a COM pointer: without calling its Release).
    Raw Detach() { return std::exchange(raw_, Traits::Empty()); }
    // Frees what is held, and holds `raw` from now on.
    void Reset(Raw raw = Traits::Empty()) {
        const Raw old = std::exchange(raw_, raw);
        if (Traits::Valid(old)) Traits::Free(old);
    }
    // Frees what is held and says whether that worked: closing a file can fail where its last
    // writes do.
    bool Close() {
        const Raw old = Detach();
        return Traits::Valid(old) && Traits::Free(old);
    }
    // For a call that hands a new one back through a pointer; what was held is freed first.
    Raw* Put() {
        Reset();
        return &raw_;
    }

private:
    Raw raw_ = Traits::Empty();
};

// Traits of a handle that null leaves empty; the traits of each kind add its Free.
template <class Handle>
struct NullEmptyTraits {
    using Raw = Handle;
    static constexpr Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
};

// A kernel object (file, process, event): INVALID_HANDLE_VALUE owns nothing either.
struct KernelHandleTraits : NullEmptyTraits<HANDLE> {
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Free(HANDLE h) { return CloseHandle(h) != 0; }
};

template <class Handle>
struct GdiObjectTraits : NullEmptyTraits<Handle> {
    static bool Free(Handle h) { return DeleteObject(h) != 0; }
};

struct IconTraits : NullEmptyTraits<HICON> {
    static bool Free(HICON h) { return DestroyIcon(h) != 0; }
};

template <class Interface>
struct ComTraits : NullEmptyTraits<Interface*> {
    static bool Free(Interface* p) {
        p->Release();
        return true;
    }
};

using UniqueHandle = Owned<KernelHandleTraits>;
using UniqueFont = Owned<GdiObjectTraits<HFONT>>;
using UniqueBrush = Owned<GdiObjectTraits<HBRUSH>>;
using UniquePen = Owned<GdiObjectTraits<HPEN>>;
using UniqueBitmap = Owned<GdiObjectTraits<HBITMAP>>;
using UniqueIcon = Owned<IconTraits>;

// One reference to a COM object.
template <class Interface>
class ComPtr : public Owned<ComTraits<Interface>> {
public:
    using Owned<ComTraits<Interface>>::Owned;
    Interface* operator->() const { return this->Get(); }
};

}  // namespace tf
