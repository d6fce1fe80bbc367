// Shared inside the stand-in DLL only.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "afx.h"

class CWinThread;

// Makes thread the calling thread's CWinThread (null: none).
void AfxSetCurrentThread(CWinThread* thread);

class CWnd;

// Attaches wnd to the next window the calling thread creates, before its first
// message; FALSE when the hook cannot be set. Always pair with the unhook.
BOOL AfxHookWindowCreate(CWnd* wnd);
void AfxUnhookWindowCreate();

// --- wrappers of one handle (windows, GDI objects, menus, image lists) --------


// Gives the wrapper its handle; refuses a null handle or a wrapper that has one.
template <class Handle>
BOOL AfxAttachHandle(Handle& field, Handle handle)
{
    ASSERT(field == nullptr);
    if (!handle || field)
        return FALSE;
    field = handle;
    return TRUE;
}

template <class Handle>
Handle AfxDetachHandle(Handle& field)
{
    return std::exchange(field, nullptr);
}

// The handle of a wrapper that may be null. Callers rely on a null object
// giving a null handle; the pointer is hidden from the optimiser, which may
// otherwise assume that `this` is never null.
template <class Wrapper, class Handle>
Handle AfxSafeHandle(const Wrapper* object, Handle Wrapper::*field)
{
    asm("" : "+r"(object));
    return object ? object->*field : nullptr;
}

// A thread's temporary wrappers for handles no object owns: made on demand by
// FromHandle, freed all at once in idle time, never owning their handles.
// Declare instances thread_local; the map itself is made on first use, so a
// thread that never asks leaves nothing behind.
template <class Handle, class Wrapper, Handle Wrapper::*Field>
class AfxTemporaryMap {
public:
    // make() gives a new, empty wrapper of the right class for the handle.
    template <class Make>
    Wrapper* Get(Handle handle, Make make)
    {
        if (!m_map)
            m_map = new std::map<Handle, std::unique_ptr<Wrapper>>;
        std::unique_ptr<Wrapper>& wrapper = (*m_map)[handle];
        if (!wrapper) {
            wrapper = make();
            wrapper.get()->*Field = handle;
        }
        return wrapper.get();
    }

    void DeleteAll()
    {
        auto* doomed = std::exchange(m_map, nullptr);
        if (!doomed)
            return;
        for (auto& entry : *doomed)
            entry.second.get()->*Field = nullptr;
        delete doomed;
    }

    size_t Count() const { return m_map ? m_map->size() : 0; }

private:
    std::map<Handle, std::unique_ptr<Wrapper>>* m_map = nullptr;
};

// Frees the calling thread's temporary windows, GDI objects and menus.
void AfxDeleteTempMaps();
