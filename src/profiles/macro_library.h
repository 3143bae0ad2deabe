#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "profiles/macro_file.h"
#include "profiles/panel_result.h"

namespace zt640 {

/// One macro of the library.
struct MacroEntry {
  std::string name;  ///< UTF-8 name shown to the user
  std::string guid;  ///< time-stamp identity; the macro file is folder + guid + ".mac"
  friend bool operator==(const MacroEntry&, const MacroEntry&) = default;
};

/// The macro library of one device: the library file ("macro.config") in the
/// device data folder and the macro files it names. Holds what the macro
/// panel shows: the macro names in library order with their Guids, the
/// selection, the name edit field and the event list of the selected macro.
/// Every change to the library re-reads the file (repairing what a damaged
/// file holds without moving any macro's position) and writes it at once,
/// atomically. Reading writes nothing, except that a macro without a usable
/// identity (a Guid that is unsafe or named twice) gets a new one stored at
/// once; a file that did not read intact is kept as ".bak" before it is
/// replaced (DamagedFiles). No lock: the owner calls it on one thread.
class MacroLibrary {
 public:
  static constexpr size_t kMaxMacros = 50;
  static constexpr char kLibraryFileName[] = "macro.config";
  /// The library file name of the headset and the mouse pad.
  static constexpr char kVornikLibraryFileName[] = "vornik_macro.config";

  /// Sets the device data folder (and, optionally, the library file name).
  void SetMacroFolder(const std::string& folder, const std::string& library_file_name = kLibraryFileName);
  [[nodiscard]] const std::string& MacroFolder() const { return folder_; }
  [[nodiscard]] std::string LibraryFilePath() const { return folder_ + library_file_name_; }
  /// folder + guid + ".mac".
  [[nodiscard]] std::string MacroFilePath(const std::string& guid) const { return folder_ + guid + ".mac"; }

  /// Fills the name list from the library file (nothing without a folder).
  /// A missing or invalid file gives an empty library and stays as it is.
  PanelResult LoadMacroList();
  [[nodiscard]] const std::vector<MacroEntry>& Entries() const { return entries_; }
  /// Position of the selected macro; -1 when the list is empty or nothing is selected.
  [[nodiscard]] int GetSelectedMacro() const;
  /// Selects a macro and shows its events (ignored when out of range).
  void SelectMacro(int position);
  /// Loads the selected macro's file into the event list.
  void ShowSelectedMacro();

  /// Creates "macro_<k>"; the result's value is the new name. Refused (and
  /// nothing changes) when the library holds kMaxMacros.
  PanelResult AddMacro();
  /// Creates a macro named after the title of `path` ("<title>_<k>" for k =
  /// 2, 3, ... when taken).
  PanelResult AddMacroFromFile(const std::string& path);
  /// Checks the file, adds a macro named after it and copies the file in,
  /// byte for byte, as the new macro's file.
  PanelResult ImportMacro(const std::string& path);
  /// Copies the selected macro's file to `path`, byte for byte (an empty
  /// file when the macro was never saved).
  PanelResult ExportMacro(const std::string& path);
  void SetNameEditText(std::string text) { name_edit_ = std::move(text); }
  [[nodiscard]] const std::string& NameEditText() const { return name_edit_; }
  /// Renames the selected macro to the name edit field's text.
  PanelResult RenameMacro();
  /// Deletes the selected macro from the library, then its file; returns the
  /// former position, -1 when nothing was deleted (`result` says why).
  int DeleteMacro(PanelResult* result = nullptr);

  /// The event list of the selected macro; editors change it, then save.
  [[nodiscard]] std::vector<MacroEventEntry>& Events() { return events_; }
  [[nodiscard]] const std::vector<MacroEventEntry>& Events() const { return events_; }
  /// Fills the event list from a macro file.
  void LoadMacroFile(const std::string& path);
  /// Writes the event list with the selected macro's name and Guid. More
  /// than 250 events: "message_text_17", the list is emptied and nothing is
  /// written.
  PanelResult SaveMacroFile(const std::string& path);
  /// SaveMacroFile(folder + selected Guid + ".mac").
  PanelResult SaveSelectedMacro();

 private:
  /// Re-reads and repairs the library file into entries_. False when a
  /// needed repair could not be written.
  bool ReadLibrary();
  [[nodiscard]] bool WriteLibrary();
  [[nodiscard]] bool NameUsed(const std::string& name) const;
  [[nodiscard]] std::string NewGuid() const;
  PanelResult Append(const std::string& name);

  std::string folder_;
  std::string library_file_name_ = kLibraryFileName;
  Json::Value other_members_{Json::objectValue};  ///< members of the library file this class does not own
  std::vector<MacroEntry> entries_;
  int selected_ = -1;
  std::string name_edit_;
  std::vector<MacroEventEntry> events_;
};

}  // namespace zt640
