// Heap memory owned by one holder: released with free when the holder goes,
// so no path out of a function can forget it. Platform-free; the system's
// handles have their owners in owned_win.h.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <cstring>

template <typename T>
class HeapPtr {
public:
    HeapPtr() = default;
    explicit HeapPtr(T* owned) : p_(owned) {}
    ~HeapPtr() { std::free(p_); }
    HeapPtr(HeapPtr&& other) : p_(other.Release()) {}
    HeapPtr& operator=(HeapPtr&& other) {
        Reset(other.Release());
        return *this;
    }
    HeapPtr(const HeapPtr&) = delete;
    HeapPtr& operator=(const HeapPtr&) = delete;

    // Room for `count` elements, uninitialised; null when memory runs out.
    static HeapPtr Allocate(size_t count) { return HeapPtr(static_cast<T*>(std::malloc(count ? count * sizeof(T) : 1))); }
    // Keeps the elements and makes room for `count`; false (nothing lost)
    // when memory runs out.
    bool Resize(size_t count) {
        T* bigger = static_cast<T*>(std::realloc(p_, count ? count * sizeof(T) : 1));
        if (!bigger) return false;
        p_ = bigger;
        return true;
    }
    void Reset(T* owned = nullptr) {
        if (owned == p_) return;
        std::free(p_);
        p_ = owned;
    }
    T* Release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    T* get() const { return p_; }
    // Read access where a plain pointer is wanted; never from a temporary,
    // whose memory would be gone before the pointer is used.
    operator T*() const& { return p_; }
    operator T*() const&& = delete;

private:
    T* p_ = nullptr;
};

using HeapText = HeapPtr<char>;

// A terminated heap copy of `length` bytes of `text`; null when memory runs out.
inline HeapText CopyToHeap(const char* text, size_t length) {
    HeapText copy = HeapText::Allocate(length + 1);
    if (copy) {
        if (length) std::memcpy(copy.get(), text, length);
        copy.get()[length] = '\0';
    }
    return copy;
}
// The same for a whole text; null counts as empty.
inline HeapText CopyToHeap(const char* text) { return text ? CopyToHeap(text, std::strlen(text)) : CopyToHeap("", 0); }

// A heap array that doubles as it grows; its elements must be plain data.
template <typename T>
struct HeapArray {
    HeapPtr<T> items;
    size_t count = 0;
    size_t capacity = 0;

    // False when memory runs out; the array keeps what it had.
    bool Append(const T& item, size_t firstCapacity = 16) {
        if (count == capacity) {
            const size_t grown = capacity ? capacity * 2 : firstCapacity;
            if (!items.Resize(grown)) return false;
            capacity = grown;
        }
        items.get()[count++] = item;
        return true;
    }
    void Clear() {
        items.Reset();
        count = capacity = 0;
    }
    T& operator[](size_t i) const { return items.get()[i]; }
};
