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

// What a forwarder returns while its library is missing.
template <class R>
R nothing() {
    return R();
}

} // namespace platform

// A library whose functions the program calls by their own names, as it would a linked one's.
// LIST(X) names each function as X(return type, name, (parameters), (arguments)); a forwarder
// that does not match the library's header does not compile.
//   TONVALE_RUNTIME_FUNCTIONS(LIST, loader, "libname.so.N", "libname.so")
// defines `bool platform::loader()`, which opens the first of the names that opens and finds
// every function, once, and is false when the library or one of its functions is missing (an
// older library stays open, unused); and each function of the list, which calls the loader
// first and does nothing (returns zero) while it is false. Once in a source file, at file scope.
#define TONVALE_RUNTIME_POINTER(ret, name, params, args) ret(*name) params = nullptr;
#define TONVALE_RUNTIME_FIND(ret, name, params, args) all = ::platform::findFunction(lib, found.name, #name) && all;
#define TONVALE_RUNTIME_FORWARD(ret, name, params, args)                                       \
    ret name params {                                                                          \
        const RuntimeFunctions* functions = runtimeFunctions();                                \
        return functions ? functions->name args : ::platform::nothing<ret>();                  \
    }
#define TONVALE_RUNTIME_FUNCTIONS(LIST, loader, ...)                                           \
    namespace {                                                                                \
    struct RuntimeFunctions {                                                                  \
        LIST(TONVALE_RUNTIME_POINTER)                                                          \
    };                                                                                         \
    const RuntimeFunctions* runtimeFunctions() {                                               \
        static const RuntimeFunctions* const functions = []() -> const RuntimeFunctions* {     \
            static RuntimeFunctions found;                                                     \
            void* lib = ::platform::openRuntimeLibrary({__VA_ARGS__});                         \
            bool all = lib != nullptr;                                                         \
            if (all) {                                                                         \
                LIST(TONVALE_RUNTIME_FIND)                                                     \
            }                                                                                  \
            return all ? &found : nullptr;                                                     \
        }();                                                                                   \
        return functions;                                                                      \
    }                                                                                          \
    }                                                                                          \
    namespace platform {                                                                       \
    bool loader() { return runtimeFunctions() != nullptr; }                                    \
    }                                                                                          \
    extern "C" {                                                                               \
    LIST(TONVALE_RUNTIME_FORWARD)                                                              \
    }
