// The dialog in which the user makes a smiley of their own, or changes or removes one: an
// image, a description and the shortcut that stands for it in messages. The dialog gathers the
// choice; SaveSmiley then stores the image in the user directory and fills the smiley.
#ifndef PARLAVOX_GUI_ROOMS_SMILEYSETUP_H
#define PARLAVOX_GUI_ROOMS_SMILEYSETUP_H

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/textctrl.h>

#include <memory>
#include <string>

class Smiley;

class SmileySetup : public wxDialog {
 public:
  // Images larger than this on a side are offered the large size, those larger than the
  // standard one the standard size.
  static constexpr int kLargestSize = 256;
  static constexpr int kStandardSize = 24;
  // The longest shortcut the server takes.
  static constexpr size_t kLongestShortcut = 20;

  // A null smiley opens the dialog for a new one (Add), another for that smiley (Update, Remove).
  SmileySetup(wxWindow* parent, Smiley* smiley);
  ~SmileySetup() override;

  // After "Add" or "Update": stores the chosen image, reduced as the user chose, as the user's
  // next smiley file, and writes the file, description and shortcut into the smiley. A new
  // smiley passes to the caller. Null, and the smiley unchanged, when the image could not be
  // stored.
  Smiley* SaveSmiley();

  // Takes the picture file as the image button does once a file is chosen: asks how to reduce
  // a large one, then shows it. False, with nothing changed, for a file that is no picture the
  // program reads or when the user cancelled the question.
  bool TakeImage(const std::string& path);

  // What the dialog holds, for the caller and for tests.
  int GetSizeChoice() const { return m_sizeChoice; }
  wxTextCtrl* GetFileField() const { return m_fileField; }
  wxTextCtrl* GetDescriptionField() const { return m_descriptionField; }
  wxTextCtrl* GetShortcutsField() const { return m_shortcutsField; }
  wxButton* GetOkButton() const { return m_okButton; }
  wxButton* GetRemoveButton() const { return m_removeButton; }
  wxBitmapButton* GetImageButton() const { return m_imageButton; }

  // The path under which SaveSmiley stores an image of `chosen`'s type: the first free
  // "smiley_<n>" of that type's extension in the user directory; empty for a file that is no
  // image type.
  static std::string NextSmileyPath(const std::string& chosen);

 private:
  void Build(bool editing);
  wxSizer* BuildFields();
  void OnTextChanged(wxCommandEvent& event);
  void OnSelectImage(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnEnd(wxCommandEvent& event);
  // Asks how to reduce an image of this size; -1 when the user cancelled.
  int AskSize(const wxSize& size);
  void CheckFields();

  Smiley* m_smiley;
  std::unique_ptr<Smiley> m_created;  // a new smiley until SaveSmiley hands it over
  wxBitmapButton* m_imageButton = nullptr;
  wxTextCtrl* m_fileField = nullptr;
  wxTextCtrl* m_descriptionField = nullptr;
  wxTextCtrl* m_shortcutsField = nullptr;
  wxButton* m_okButton = nullptr;
  wxButton* m_removeButton = nullptr;
  int m_sizeChoice = -1;
};

#endif
