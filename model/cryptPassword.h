// The password cipher: RC4 with a fixed key assembled at run time. The same call enciphers a
// plain password and deciphers a stored one. This only keeps passwords out of plain sight in the
// settings file; anyone with the program can undo it.
#ifndef PARLAVOX_MODEL_CRYPTPASSWORD_H
#define PARLAVOX_MODEL_CRYPTPASSWORD_H

#include <cstddef>
#include <string>

// Raw RC4 output, as many bytes as the input (it may hold any byte, NUL included).
std::string CryptPassword(const std::string& text);

// The RC4 transformation with an explicit key (exposed for checking against published vectors).
std::string Rc4Transform(const std::string& key, const std::string& text);

#endif
