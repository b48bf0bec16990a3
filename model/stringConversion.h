// Conversions between UTF-8 std::string, wxString and numbers; case-insensitive ordering.
#ifndef PARLAVOX_MODEL_STRINGCONVERSION_H
#define PARLAVOX_MODEL_STRINGCONVERSION_H

#include <wx/string.h>

#include <string>

// UTF-8 up to the first NUL to wxString; invalid UTF-8 gives an empty string.
wxString std2wx(const std::string& s);
// wxString to UTF-8; a failed conversion gives an empty string.
std::string wx2std(const wxString& s);

std::string IntToString(int n);
std::string ULongToString(unsigned long n);
// Leading blanks, optional sign, digits; the rest is ignored. Not a number (or out of range) gives 0.
int StringToInt(const std::string& s);

// Three-way comparison ignoring the case of ASCII letters. Bytes of 128 and above keep their
// signed value, so they sort before every ASCII character; an equal prefix puts the shorter first.
int CompareNoCase(const std::string& a, const std::string& b);

// ASCII-only case folding: bytes outside A-Z / a-z come back unchanged.
char AsciiToUpper(char c);
char AsciiToLower(char c);
std::string AsciiLower(const std::string& s);

#endif
