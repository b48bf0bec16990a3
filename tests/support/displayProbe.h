// What a program that could not start its tool kit says about the X display, so that a failed
// start can be told apart: no display at all, a server that refused us, or a passing fault.
#ifndef PARLAVOX_TESTS_SUPPORT_DISPLAYPROBE_H
#define PARLAVOX_TESTS_SUPPORT_DISPLAYPROBE_H

#include <string>

namespace testsupport {

// DISPLAY and XAUTHORITY as this process sees them, and whether the display takes a connection
// now (with the system's error when it does not). One line, no end of line.
std::string DescribeDisplay();

}  // namespace testsupport

#endif
