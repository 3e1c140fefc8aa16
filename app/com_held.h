// A COM pointer released when it goes out of scope, so every path releases it.
#pragma once

template <typename T>
struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p != nullptr)
            p->Release();
    }
    T** Out() { return &p; }
    T* operator->() const { return p; }
};
