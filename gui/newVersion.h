// What the program does with the newest version the server announces: whether it is newer
// than this program, whether it may name a file and an address at all, and where its archive
// is fetched from and stored.
#ifndef PARLAVOX_GUI_NEWVERSION_H
#define PARLAVOX_GUI_NEWVERSION_H

#include <string>

namespace newversion {

// The version text comes from the server and goes into a file name and an address: only
// 1 to 32 digits, ASCII letters and dots, starting with a digit, with no empty component
// ("..", a leading or trailing dot). Anything else ("unknown", "../x", "1.0;rm") is refused.
bool IsAcceptable(const std::string& version);

// Compares versions component by component: the number at the start of each dot-separated
// component, then what follows it ("8" < "8b" < "9" < "10"); missing components count as 0.
// Negative, zero or positive like strcmp.
int Compare(const std::string& a, const std::string& b);

// True when `candidate` is acceptable and newer than `current`.
bool IsNewer(const std::string& candidate, const std::string& current);

// "parlavox_v" + version + "-linux-gtk.tar.bz2".
std::string ArchiveName(const std::string& version);

// The maker's download address for an archive, and the download page for fetching by hand.
std::string DownloadAddress(const std::string& archiveName);
// Archives are fetched from `base` + "download/" instead (a local site; empty: the maker's).
void SetDownloadBase(const std::string& base);
std::string DownloadPageAddress();

// The directory the archive goes to, ending in '/': HOME, else the account's home directory,
// else "/tmp/".
std::string TargetDirectory();

}  // namespace newversion

#endif
