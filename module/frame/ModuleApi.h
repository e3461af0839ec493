// Symbols the module exports to the host.
#pragma once
#define QUILLON_API __attribute__((visibility("default")))
