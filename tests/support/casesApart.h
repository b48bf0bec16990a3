// The cases of a program that starts a window manager or a tray host each run in a process and
// on an X server of their own, however the program is started (by CTest one case at a time, or
// whole by hand): the tool kit goes on taking a display for one that is managed for a while
// after its window manager ended, and a case after it would ask that manager in vain to bring its
// windows to the front. Nor does a window manager started here replace the one of the desktop
// the program was started from.
#ifndef PARLAVOX_TESTS_SUPPORT_CASESAPART_H
#define PARLAVOX_TESTS_SUPPORT_CASESAPART_H

namespace testsupport {

// Called after GoogleTest took its flags: true when this process is one case's own, which then
// runs as usual. Otherwise runs every selected case (as often as --gtest_repeat says) as a child
// on a display of its own, one after the other, sets `status` (0 when all passed) and returns
// false.
bool OneCaseHere(int argc, char** argv, int* status);

}  // namespace testsupport

#endif
