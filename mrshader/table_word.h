// One pointer-sized word that render threads read and write without a lock:
// each access moves the whole word at once, and no ordering with other memory
// is asked for. The compiler's own builtins do it where it has them; older
// compilers read and write the word through volatile, which on the hosts'
// processors is one aligned move.
#pragma once

namespace binding {

inline void* loadWord(void* const* word)
{
#if defined(__ATOMIC_RELAXED)
    return __atomic_load_n(word, __ATOMIC_RELAXED);
#else
    return *const_cast<void* const volatile*>(word);
#endif
}

inline void storeWord(void** word, void* value)
{
#if defined(__ATOMIC_RELAXED)
    __atomic_store_n(word, value, __ATOMIC_RELAXED);
#else
    *const_cast<void* volatile*>(word) = value;
#endif
}

}  // namespace binding
