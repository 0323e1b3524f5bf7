#include "GlExtensions.h"

namespace Gl {

#define GL_DEFINE_ENTRY_POINT(type, name, called) type name = nullptr;
GL_ENTRY_POINTS(GL_DEFINE_ENTRY_POINT)
#undef GL_DEFINE_ENTRY_POINT

void LoadExtensions(TProcLookUp lookUp) {
#define GL_LOOK_UP_ENTRY_POINT(type, name, called) name = reinterpret_cast<type>(lookUp(#name));
    GL_ENTRY_POINTS(GL_LOOK_UP_ENTRY_POINT)
#undef GL_LOOK_UP_ENTRY_POINT
}

std::vector<std::string> MissingEntryPoints() {
    std::vector<std::string> missing;
#define GL_CHECK_ENTRY_POINT(type, name, called) \
    if (called && name == nullptr) missing.emplace_back(#name);
    GL_ENTRY_POINTS(GL_CHECK_ENTRY_POINT)
#undef GL_CHECK_ENTRY_POINT
    return missing;
}

}  // namespace Gl
