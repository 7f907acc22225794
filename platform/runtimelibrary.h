#pragma once
// Libraries the program opens at run time, on first use, rather than links: each linked
// library is loaded and relocated before main() on every start, whether or not that run
// needs it.
#include <dlfcn.h>
#include <initializer_list>
#include <type_traits>

namespace platform {

// The first of `names` that opens (local symbols, bound at once); nullptr when none does.
// A library opened here stays open for the life of the program.
inline void* openRuntimeLibrary(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (void* lib = dlopen(name, RTLD_NOW | RTLD_LOCAL)) return lib;
    return nullptr;
}

// Sets `fn` to the library's function `name`; false when it has none.
template <class F>
bool findFunction(void* lib, F& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<F>>(dlsym(lib, name));
    return fn != nullptr;
}

} // namespace platform
