// Test certificates made at run time: the stand-in's certificate authority under the names
// the protocol tests use.
#ifndef PARLAVOX_TESTS_TESTSERVER_TESTPKI_H
#define PARLAVOX_TESTS_TESTSERVER_TESTPKI_H

#include "standin/link/certificateAuthority.h"

namespace testserver {

using Identity = standin::Identity;
using TestCa = standin::CertificateAuthority;

}  // namespace testserver

#endif
