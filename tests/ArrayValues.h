// The values of a loaded numeric array as a vector, so that tests compare them with what they expect.
#pragma once

#include <vector>

#include "Colladaasset.h"

template <typename T>
std::vector<T> Values(const TNumericArray<T>& array) {
    return std::vector<T>(array.begin(), array.end());
}
