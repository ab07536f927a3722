#pragma once
#include <dlfcn.h>

namespace nembra {

// A function of a library opened with dlopen, by name; false when it lacks it.
template <typename Fn>
bool ResolveSymbol(void* library, const char* name, Fn& out) {
    void* symbol = dlsym(library, name);
    out = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

}  // namespace nembra
