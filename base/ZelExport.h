// Symbols of libzelbase that other modules use.
#pragma once

#define ZELBASE_API __attribute__((visibility("default")))
