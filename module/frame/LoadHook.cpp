// The module's load and unload hooks: the loader calls DllMain through them, as Windows would.
#include "module/frame/Module.h"

namespace {
__attribute__((constructor)) void QuillonProcessAttach() { AfxDllAttach(reinterpret_cast<const void*>(&DllMain), DllMain); }
__attribute__((destructor)) void QuillonProcessDetach() { AfxDllDetach(reinterpret_cast<const void*>(&DllMain), DllMain); }
}  // namespace
