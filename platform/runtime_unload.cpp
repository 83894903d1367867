// The plug-in carries its own copy of the C++ run-time, which reserves an
// emergency pool for exceptions thrown when memory is short. Each load of the
// library takes one (about 71 KiB); hand it back when the library is unloaded,
// so a host that loads and unloads plug-ins does not grow, and leak checkers
// see a clean process.
#include <cstddef>  // defines __GLIBCXX__ for libstdc++

#if defined(__GLIBCXX__) && defined(__ELF__)

namespace __gnu_cxx {
void __freeres() throw();
}

namespace {
__attribute__((destructor)) void releaseRuntimePools() { __gnu_cxx::__freeres(); }
}  // namespace

#endif
