// The program's version, written here alone: the about box and the update question show it, the
// log-in request and the own profile carry it to the server, the help pages' address holds it, and
// the stand-in server lets in this version by default.
#ifndef PARLAVOX_MODEL_VERSION_H
#define PARLAVOX_MODEL_VERSION_H

constexpr char kProgramVersion[] = "0.9.8b";

#endif
