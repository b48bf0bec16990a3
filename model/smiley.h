// A picture that replaces a text shortcut in chat messages: built in, or one of the user's own.
#ifndef PARLAVOX_MODEL_SMILEY_H
#define PARLAVOX_MODEL_SMILEY_H

#include <wx/bitmap.h>

#include <string>
#include <vector>

class Smiley {
 public:
  Smiley();
  Smiley(const std::string& name, const std::string& shortcut, const std::string& filename, bool def);

  std::string GetName() const;
  void SetName(const std::string& name);
  std::string GetFilename() const;
  void SetFilename(const std::string& filename);
  bool IsDefault() const;
  void SetDefault(bool def);

  void AddShortcut(const std::string& text);
  // The list becomes this one text.
  void SetShortcut(const std::string& text);
  int GetNbrShortcuts() const;
  // An empty text for an index outside the list (a smiley read from a file may have none).
  std::string GetShortcut(int index) const;
  bool HasShortcut(const std::string& text) const;
  // The shortcuts joined with three spaces.
  std::string GetShortcutsText() const;

  // The picture, of the type named by the first letter of the file name's extension.
  wxBitmap GetBitmap() const;
  // That type (XPM for a letter not handled).
  static wxBitmapType GetBitmapTypeOf(const std::string& filename);

  // Settings file reading and writing (defined with the settings file code).
  template <class Archive>
  void serialize(Archive& ar, unsigned int version);

 private:
  std::string name;
  std::string filename;
  bool def;
  std::vector<std::string> shortcuts;
};

#endif
