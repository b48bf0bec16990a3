// The toolkit's headers and the test framework's, for the test programs (cmake/Precompiled.cmake).
#include "toolkit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
