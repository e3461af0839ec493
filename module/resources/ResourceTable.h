// The module's resources, compiled in from the files of this folder.
#pragma once
#include "host/Extension.h"

extern const LQ_RESOURCE g_quillonResources[];
extern const std::size_t g_nQuillonResources;
